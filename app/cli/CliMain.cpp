// quillconv-cli: the conversions of the window program from a terminal.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "debug/FaultHandler.h"
#include "files/FileVersion.h"
#include "files/Format.h"

namespace {

const int kExitUsage = 2;
const int kExitFault = 3;

std::string TitleText()
{
    sdk::files::FileVersion version;
    return sdk::files::Format("%s Version %s(%s)", version.ProductName().c_str(),
                              version.ProductVersion().c_str(),
                              version.FileVersionText().c_str());
}

void PrintHelp()
{
    std::printf(
        "Usage: quillconv-cli [OPTIONS] PATH...\n"
        "Converts PSD, BMP and PNG files, and every such file below the folders named.\n"
        "\n"
        "  --version   print the program's name and version\n"
        "  --help      print this help\n");
}

}  // namespace

int main(int argc, char** argv)
{
    sdk::debug::InstallFaultHandler(kExitFault);
    try {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--version") == 0) {
                std::printf("%s\n", TitleText().c_str());
                return 0;
            }
            if (std::strcmp(argv[i], "--help") == 0) {
                PrintHelp();
                return 0;
            }
        }
        std::fprintf(stderr, "quillconv-cli: conversions are not available yet; see --help\n");
        return kExitUsage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillconv-cli: %s\n", error.what());
        return 1;
    }
}
