// The window description of TForm1, what a form file would hold, and the
// constructor that builds the window from it.
#include <iterator>

#include "app/unit1.h"
#include "ui_texts.h"

namespace {
// Fonts of the two labels: rounded faces of a Chinese type foundry; when they
// are missing the system substitutes another Big5 face.
const TFontDesc THIN_ROUND{ui_text::LABEL4_FONT, CHINESEBIG5_CHARSET, -12};
const TFontDesc BOLD_ROUND{ui_text::LABEL1_FONT, CHINESEBIG5_CHARSET, -12};

const TFormDesc FORM1{
    .ClassName = "TForm1",
    .Caption = ui_text::FORM1_CAPTION,
    .Left = 380,
    .Top = 116,
    .ClientWidth = 362,
    .ClientHeight = 370,
    .BorderIcons = biMinimize | biMaximize, // no system menu, no close box
    .Font = {"MS Sans Serif", DEFAULT_CHARSET, -10},
    .Icon = "MAINICON",
};

const TControlDesc LABEL1{.Left = 0, .Top = 342, .Width = 36, .Height = 19,
                          .Caption = ui_text::LABEL1_CAPTION, .Font = &BOLD_ROUND};
const TControlDesc LABEL4{.Left = 1, .Top = 0, .Width = 97, .Height = 13,
                          .Caption = ui_text::LABEL4_CAPTION, .Font = &THIN_ROUND};
const TProgressBarDesc PROGRESSBAR1{
    .Control = {.Left = 1, .Top = 361, .Width = 351, .Height = 9, .Anchors = akLeft | akTop | akRight | akBottom},
    .Min = 0,
    .Max = 100,
};
const TMemoDesc MRECEIVE{
    .Control = {.Left = 1, .Top = 17, .Width = 361, .Height = 273}, // the window's font
    .ReadOnly = true,
    .ScrollBars = ssVertical,
    .Lines = ui_text::INSTRUCTIONS,
    .Line_Count = static_cast<int>(std::size(ui_text::INSTRUCTIONS)),
};
const TControlDesc BUTTON_DOWNLOAD{.Left = 1, .Top = 297, .Width = 169, .Height = 41,
                                   .Caption = ui_text::BUTTON_DOWNLOAD_CAPTION, .FontSizeDelta = 10};
const TControlDesc BUTTON_EXIT_SYSTEM{.Left = 193, .Top = 297, .Width = 169, .Height = 41,
                                      .Caption = ui_text::BUTTON_EXIT_SYSTEM_CAPTION, .FontSizeDelta = 10};
} // namespace

// The windowed controls are created in their tab order (stored TabOrder 0,
// 1, 4, 5): ProgressBar1, mReceive, Button_Download, Button_Exit_System.
TForm1::TForm1()
    : TForm(FORM1),
      Label1(new TLabel(this, LABEL1)),
      Label4(new TLabel(this, LABEL4)),
      ProgressBar1(new TProgressBar(this, PROGRESSBAR1)),
      TeThemeEngine1(new TTeThemeEngine(this)),
      TeThemeList1(new TTeThemeList(this)),
      TeThemeLink1(new TTeThemeLink(this)),
      TeForm1(new TTeForm(this)),
      mReceive(new TTeMemo(this, MRECEIVE)),
      Button_Download(new TTeButton(this, BUTTON_DOWNLOAD)),
      Button_Exit_System(new TTeButton(this, BUTTON_EXIT_SYSTEM)),
      Comport()
{
    // References between components and the event handlers, bound once all exist.
    TeThemeList1->Themes = {"Aqua"};
    TeThemeEngine1->ThemeList = TeThemeList1;
    TeThemeLink1->ThemeList = TeThemeList1;
    TeForm1->ThemeLink = TeThemeLink1;

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    Button_Download->OnClick = [this](TObject* sender) { Button_DownloadClick(sender); };
    Button_Exit_System->OnClick = [this](TObject* sender) { Button_Exit_SystemClick(sender); };
}
