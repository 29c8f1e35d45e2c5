// Runs the start-up check on IMAGE_FILE_NAME in the current folder, as the
// window does, and reports on stdout: each message box as "BOX:<text>", and
// "RETURNED" when the check returned. Exit status 3 after a return, so that
// the caller can tell it from the check's own exit(0).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "app/unit1.h"
#include "image/image.h"
#include "vcl/dialogs.h"

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    ShowMessage_Hook = [](const std::string& text) {
        std::printf("BOX:%s\n", text.c_str());
        std::fflush(stdout);
    };
    TForm1::Checksum(IMAGE_FILE_NAME);
    std::printf("RETURNED\n");
    return 3;
}
