#pragma once
// The skin components of the window description. One skin, "Aqua", is built
// into this layer; the list, the engine and the link only name and select it,
// and the skinned controls (TTeForm, TTeMemo, TTeButton) draw in it.
#include <string>
#include <vector>

#include "vcl/controls.h"

class TTeThemeList : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<std::string> Themes; // names of the embedded skins
};

class TTeThemeEngine : public TComponent {
public:
    using TComponent::TComponent;
    TTeThemeList* ThemeList = nullptr;
    int ThemeIndex = 0;
};

class TTeThemeLink : public TComponent {
public:
    using TComponent::TComponent;
    TTeThemeList* ThemeList = nullptr;
    int ThemeIndex = 0;
};
