# Sourced by the scripts that fetch from Debian. The project names no
# archive: it takes the ones this machine's apt already uses
# (/etc/apt/sources.list, /etc/apt/sources.list.d/*.list and *.sources),
# read by apt itself, so one-line and deb822 entries count alike.

# Prints "URI SUITE" for each Debian 12 (bookworm) archive with main that the
# machine's apt sources name, e.g. the main archive (bookworm,
# bookworm-updates) and the security archive (bookworm-security).
debian_archives() {
    { apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 2>/dev/null || true; } |
        awk '$3 == "main" && ($2 == "bookworm" || $2 ~ /^bookworm-/) { print $1, $2 }' |
        sort -u
}

# The URI of the archive that holds bookworm itself (debootstrap's mirror).
debian_main_archive() {
    debian_archives | awk '$2 == "bookworm" && !found { print $1; found = 1 }'
}
