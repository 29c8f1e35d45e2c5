#pragma once
// Forms and controls. Placeholder declarations: the window layer fills these in.
#include <windows.h>

class TObject {
public:
    virtual ~TObject() = default;
};

enum TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TObject {
public:
    HWND Handle = nullptr;
};

class TLabel;
class TTeMemo;
class TTeButton;
