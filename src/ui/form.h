// The application and its form. The application owns a hidden window whose
// text is the taskbar's (the application title); the form is a fixed-size
// top-level window owned by it, with a caption of its own. Event handlers
// run through Dispatch, which shows an error that escapes them in the
// standard error box and keeps the window.
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
    // A form of clientWidth x clientHeight pixels centred on the desktop,
    // with a system menu and a minimise box, not resizable.
    TForm(std::wstring name, std::wstring className, int clientWidth, int clientHeight);
    std::wstring ClassName() const override { return className_; }
    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& caption) { SetText(caption); }
    void Show();

    // Runs an event handler; an EError it lets through goes to the standard error box.
    void Dispatch(const std::function<void()>& handler);
    std::function<void()> OnClose;

protected:
    void DescribeProperties(std::vector<TProperty>& properties) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::wstring className_;
};
