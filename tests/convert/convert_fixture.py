"""What the korvel-convert tests share: a temporary folder per test, files in
it, the program run there, and a child whose writes stop as on a full disk."""
import os
import resource
import shutil
import signal
import subprocess
import tempfile
import unittest


def limit_file_size(size):
    """A child whose writes stop at `size` bytes, as on a full disk."""
    def apply():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
    return apply


class FolderTest(unittest.TestCase):
    """Each test works in a fresh folder, removed afterwards."""
    prefix = "convert-test-"

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix=self.prefix)
        self.addCleanup(shutil.rmtree, self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        path = self.path(name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def files(self, folder="."):
        """Every file under `folder`, relative to it, sorted."""
        found = []
        for root, _, names in os.walk(self.path(folder)):
            found += [os.path.relpath(os.path.join(root, n), self.path(folder)) for n in names]
        return sorted(found)

    def run_program(self, command, encoding="utf-8", stdin=b"", stdout=subprocess.PIPE,
                    timeout=120, **options):
        """Status, output bytes and messages of `command` run in the folder."""
        done = subprocess.run(command, cwd=self.dir, input=stdin, stdout=stdout,
                              stderr=subprocess.PIPE, timeout=timeout, **options)
        return done.returncode, done.stdout, done.stderr.decode(encoding, "replace")
