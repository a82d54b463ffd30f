// Installs the printing tests' printers in the current Wine prefix: Wine's
// PostScript driver with our own PPD files, each printer on its own port.
// Run again, it changes nothing. Usage: printer_rig <folder with the PPDs>
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

struct TestPrinter {
    const char *name;
    const char *ppd;
    const char *port;
    short y_dpi; // when not 0, a default resolution of 1200 x y_dpi
};

constexpr TestPrinter TEST_PRINTERS[] = {
    {"Korvel Test 600", "korvel600.ppd", "KORVEL600:", 0},
    {"Korvel Test 1200x600", "korvel1200.ppd", "KORVEL1200:", 600},
    {"Korvel Test 72", "korvel72.ppd", "KORVEL72:", 0},
    {"Korvel Test Tiny", "korveltiny.ppd", "KORVELTINY:", 0},
};

char ENVIRONMENT[] = "Windows NT x86";
char DRIVER_FILE[] = "wineps.drv";

bool installed(const char *name) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char *>(name), &printer, nullptr))
        return false;
    ClosePrinter(printer);
    return true;
}

// A PPD holds one default resolution for both axes; a printer whose axes
// differ gets them from its stored default device mode.
bool set_resolution(const TestPrinter &test) {
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char *>(test.name), &printer, nullptr))
        return false;
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::string info_bytes(needed, '\0');
    bool done = false;
    if (GetPrinterA(printer, 2, reinterpret_cast<BYTE *>(info_bytes.data()), needed, &needed)) {
        auto *info = reinterpret_cast<PRINTER_INFO_2A *>(info_bytes.data());
        LONG size = DocumentPropertiesA(nullptr, printer, const_cast<char *>(test.name), nullptr,
                                        nullptr, 0);
        std::string mode_bytes(size > 0 ? size : 0, '\0');
        auto *mode = reinterpret_cast<DEVMODEA *>(mode_bytes.data());
        if (size > 0 && DocumentPropertiesA(nullptr, printer, const_cast<char *>(test.name), mode,
                                            nullptr, DM_OUT_BUFFER) == IDOK) {
            mode->dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
            mode->dmPrintQuality = 1200;
            mode->dmYResolution = test.y_dpi;
            info->pDevMode = mode;
            info->pSecurityDescriptor = nullptr;
            done = SetPrinterA(printer, 2, reinterpret_cast<BYTE *>(info), 0);
            if (!done)
                std::printf("SetPrinter %s: %lu\n", test.name, GetLastError());
        }
    }
    ClosePrinter(printer);
    return done;
}

bool install(const TestPrinter &test, const std::string &ppd_folder) {
    char driver_dir[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, ENVIRONMENT, 1, reinterpret_cast<BYTE *>(driver_dir),
                                    sizeof driver_dir, &needed)) {
        std::printf("no driver directory: %lu\n", GetLastError());
        return false;
    }
    std::string version_dir = std::string(driver_dir) + "\\3";
    CreateDirectoryA(version_dir.c_str(), nullptr);
    std::string source = ppd_folder + "\\" + test.ppd;
    std::string target = version_dir + "\\" + test.ppd;
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        std::printf("cannot copy %s to %s: %lu\n", source.c_str(), target.c_str(), GetLastError());
        return false;
    }

    // One driver entry per printer, named after it, so each has its own PPD.
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<char *>(test.name);
    driver.pEnvironment = ENVIRONMENT;
    driver.pDriverPath = DRIVER_FILE;
    driver.pDataFile = const_cast<char *>(test.ppd);
    driver.pConfigFile = DRIVER_FILE;
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE *>(&driver)) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        std::printf("AddPrinterDriver %s: %lu\n", test.name, GetLastError());
        return false;
    }
    if (installed(test.name))
        return test.y_dpi == 0 || set_resolution(test);

    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char *>(test.name);
    info.pPortName = const_cast<char *>(test.port);
    info.pDriverName = const_cast<char *>(test.name);
    info.pPrintProcessor = const_cast<char *>("WinPrint");
    info.pDatatype = const_cast<char *>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&info));
    if (!printer) {
        std::printf("AddPrinter %s: %lu\n", test.name, GetLastError());
        return false;
    }
    ClosePrinter(printer);
    return test.y_dpi == 0 || set_resolution(test);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::printf("usage: printer_rig <folder with the PPDs>\n");
        return 2;
    }
    int failures = 0;
    for (const TestPrinter &test : TEST_PRINTERS)
        failures += !install(test, argv[1]);
    // The page-setup dialog refuses to open without a default printer.
    if (!failures && !SetDefaultPrinterA(TEST_PRINTERS[0].name)) {
        std::printf("SetDefaultPrinter: %lu\n", GetLastError());
        ++failures;
    }
    return failures ? 1 : 0;
}
