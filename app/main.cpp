// The start-up entry: the application object, the one window, the message loop.
#include <windows.h>

#include "app/unit1.h"
#include "vcl/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    } catch (Exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
