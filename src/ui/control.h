// TControl: a component that wraps one real Win32 window, placed in a parent
// control's client area at the bounds the form gives. Bounds and font heights
// are pixels of the 96-DPI design; the window is placed and its font made at
// the DPI of its form (the top-level control). Containers (the form, tab
// sheets, panels, group boxes) route their children's notifications and
// colour requests back to the child controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/component.h"
#include "ui/dpi.h"

struct TBounds {
    int left = 0, top = 0, width = 0, height = 0;
};

class TControl : public TComponent {
public:
    ~TControl() override;

    HWND Handle() const { return handle_; }
    TControl* Parent() const { return parent_; }

    // The bounds in the design's pixels (a top-level window's: its frame on the screen).
    void SetBounds(const TBounds& bounds);
    TBounds Bounds() const { return bounds_; }
    // The DPI the control is laid out for: its form's.
    int Dpi() const;
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The control's font (face, height in design pixels, weight) and text colour.
    void SetFont(const std::wstring& face, int height, bool bold = false);
    void SetFontColor(COLORREF color);
    // The window text.
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    // The hint kept for the control (shown by classes that have one).
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint) { hint_ = hint; }

    std::function<void(TControl&)> OnClick;

    // Runs an event handler; an error it lets through is shown in the
    // standard error box (and never unwinds into the system's code).
    static void RunEventHandler(const std::function<void()>& handler);

    // The control behind a window made by the toolkit, or null.
    static TControl* FromHandle(HWND window);
    // The window class of containers, registered once.
    static const wchar_t* ContainerClass();
    // Message handling shared by every container window.
    static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    TControl(TComponent* owner, std::wstring name, TControl* parent, const TBounds& bounds);
    // Makes the window; called by each class's constructor.
    void CreateHandle(const wchar_t* windowClass, DWORD style, DWORD exStyle = 0, const std::wstring& text = L"");
    // A notification (WM_COMMAND code) from this control's window.
    virtual void Notify(WORD code);
    // WM_NOTIFY from this control's window.
    virtual LRESULT NotifyEx(NMHDR*) { return 0; }
    // The brush and colours for painting this control's background and text,
    // or null for the system's.
    virtual HBRUSH ControlColor(HDC dc);
    // A container's own messages; the default handles nothing.
    virtual bool HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    void DescribeProperties(std::vector<TProperty>& properties) override;
    // Lays the control out again at its form's DPI (which the form changed):
    // its window where its design bounds put it, its font at that DPI (its
    // own, or the one it inherits). Returns the font it no longer uses, for
    // the form to delete once every control has its new one.
    virtual HFONT ApplyDpi();
    // The design bounds in pixels at the form's DPI (a top-level window's as they are).
    RECT PixelRect() const;
    // The font this control gives its window: its own, else its nearest container's.
    HFONT CurrentFont() const { return font_ ? font_ : InheritedFont(); }
    // A wide-text property read and written through the window text.
    TProperty TextProperty(const wchar_t* name);
    // The wide-text "Hint" property.
    TProperty HintProperty();

    HWND handle_ = nullptr;
    // The DPI of a top-level control; children ask theirs (Dpi()).
    int dpi_ = kDesignDpi;

private:
    friend class TForm;  // lays its controls out again when its DPI changes

    HFONT InheritedFont() const;
    HFONT CreateScaledFont() const;

    TControl* parent_;
    TBounds bounds_;
    HFONT font_ = nullptr;
    std::wstring fontFace_;
    int fontHeight_ = 0;
    bool fontBold_ = false;
    COLORREF fontColor_ = CLR_INVALID;
    std::wstring hint_;
};
