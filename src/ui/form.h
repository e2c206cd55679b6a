// The application and its form. The application owns a hidden window whose
// text is the taskbar's (the application title); the form is a fixed-size
// top-level window owned by it, with a caption of its own. Event handlers
// run through Dispatch, which shows an error that escapes them in the
// standard error box and keeps the window. The form is designed for a 96-DPI
// screen and laid out for the DPI of the monitor it shows on, again whenever
// it moves to a monitor of another DPI.
#pragma once

#include <functional>
#include <string>

#include "ui/control.h"

class TApplication {
public:
    TApplication();
    ~TApplication();
    HWND Handle() const { return handle_; }
    std::wstring Title() const;
    void SetTitle(const std::wstring& title);

private:
    HWND handle_ = nullptr;
};

// The one application of the program.
TApplication& Application();

class TForm : public TControl {
public:
    // A form of clientWidth x clientHeight design pixels centred on the
    // desktop, with a system menu and a minimise box, not resizable; laid out
    // for dpi, or for the DPI of the monitor it opens on when dpi is 0.
    TForm(std::wstring name, std::wstring className, int clientWidth, int clientHeight, int dpi = 0);
    std::wstring ClassName() const override { return className_; }
    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& caption) { SetText(caption); }
    void Show();
    // Paints now whatever of the form and its controls waits to be painted:
    // for work that lets no messages through for a while after changing
    // what the window shows.
    void PaintNow();
    // Lays the form out for another DPI: its client area and every control
    // scaled from the design, every font made again; nothing else changes
    // (page, texts, focus). The window keeps its centre, or goes to the top
    // left of `suggested`, the place Windows proposes when it moved to a
    // monitor of another DPI.
    void ScaleTo(int dpi, const RECT* suggested = nullptr);

    // Runs an event handler; an EError it lets through goes to the standard error box.
    void Dispatch(const std::function<void()>& handler);
    std::function<void()> OnClose;

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The window's size around the design's client area at dpi.
    SIZE FrameSize(int dpi) const;
    // Moves the window; the client area is then the design's at the form's DPI.
    void PlaceWindow(int left, int top, SIZE frame);

    std::wstring className_;
    int clientWidth_, clientHeight_;
};
