#include "app/unit1.h"

#include <cstdlib>

#include "image/image.h"

TForm1* Form1 = nullptr;

void TForm1::FormCreate(TObject*)
{
    Comport.Set_ProgressBar(ProgressBar1);
    // Ends the process, before the window is ever shown, when the image is missing or altered.
    Checksum(IMAGE_FILE_NAME);
}

void TForm1::FormClose(TObject*, TCloseAction&)
{
    // Runs also from inside an update's message processing: the update is
    // abandoned where it stands.
    Comport.Close_Port();
    exit(0);
}

void TForm1::Button_Exit_SystemClick(TObject*) { Close(); }

void TForm1::Button_Control(bool enable) { Button_Download->SetEnabled(enable); }

void TForm1::Clean_Memo() { mReceive->SetText(""); }

void TForm1::Print_Str_to_Memo(const std::string& text) { mReceive->SetText(mReceive->Text() + text + "\r\n"); }
