// The main window's class, shared by the units that make it up: the window
// itself (main_window.cpp), its lists (main_window_lists.cpp), their popup
// menus (main_window_menus.cpp) and its keyboard (main_window_keys.cpp).
#pragma once
#include "platform/win32/windows_clean.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "forms/main_form.h"
#include "platform/win32/system_library.h"
#include "ui/win32/window_support.h"

namespace qm::win32 {

class MainWindow {
public:
    // For ObjectWindowProc.
    void Attach(HWND window) { hwnd_ = window; }
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);

    MainWindow(MainForm& form, HINSTANCE instance)
        : form_(form),
          instance_(instance),
          lists_(Tabs()),
          menus_(Tabs()),
          shownVersion_(Tabs()),
          shownCaption_(Tabs()),
          shownSmall_(Tabs()),
          shownLarge_(Tabs()) {}
    ~MainWindow() {
        for (HMENU m : menus_)
            if (m) DestroyMenu(m);
        if (images_) LoadCommonControls()->ImageList_Destroy(images_);
    }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    bool Create();
    int Run();
    // Draws what the form holds now.
    void Refresh() { Sync(); }

    // Menu command identifiers: base + tab * 8 + command.
    static constexpr UINT kMenuIdBase = 1000;

private:
    LRESULT Notify(NMHDR* header);
    LRESULT ListNotify(int tab, NMHDR* header);
    void CreateChildren();
    void CreateMenus();
    // The startup item of the list's menu says what it would do to the selected row.
    void UpdateStartupItem(int tab);
    bool MeasureMenuImage(MEASUREITEMSTRUCT& item) const;
    bool DrawMenuImage(const DRAWITEMSTRUCT& item) const;
    void Layout(int width, int height);
    void ShowActiveList();
    void Sync();
    bool OwnKey(MSG& msg);
    std::array<HWND, 5> TabStops() const;
    void ReadSelection(int tab);
    void ApplySelection(int tab);
    int TabFromList(HWND list) const;
    size_t Tabs() const { return static_cast<size_t>(form_.TabCount()); }

    MainForm& form_;
    HINSTANCE instance_;
    HWND hwnd_ = nullptr, tab_ = nullptr, ok_ = nullptr, about_ = nullptr, changes_ = nullptr, bevel_ = nullptr;
    std::vector<HWND> lists_;
    std::vector<HMENU> menus_;
    std::vector<std::uint64_t> shownVersion_;
    std::vector<std::string> shownCaption_;
    std::vector<ImageListHandle> shownSmall_, shownLarge_;
    std::string shownTitle_;
    HIMAGELIST images_ = nullptr;
    FontOwner font_;
    bool timerRunning_ = false;
    bool syncing_ = false;
    HWND lastFocus_ = nullptr;  // the control that gets the focus back when the window is activated
    std::string textBuffer_;    // keeps the text handed to the list alive
};

}  // namespace qm::win32
