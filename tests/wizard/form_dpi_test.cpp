// The wizard form on denser screens: built at 150 % and 200 %, and moved to
// a monitor of another DPI while the user is on the destination page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <memory>

#include "support/recording_dialogs.h"
#include "support/temp_folder.h"
#include "support/test_languages.h"
#include "util/file_ops.h"
#include "wizard/U1.h"
#include "wizard/form_layout.h"

namespace {

using wizard::FormLayout;
using wizard::TControlLayout;

// A design length at dpi, rounded as a person would round it.
int Scaled(int length, int dpi) { return static_cast<int>(std::lround(length * dpi / 96.0)); }

// Where the control's window lies in its parent's client area.
RECT PlaceInParent(const TControl& control) {
    RECT r;
    GetWindowRect(control.Handle(), &r);
    MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height of the control's font in pixels, or 0 for windows without one.
int FontHeight(const TControl& control) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(control.Handle(), WM_GETFONT, 0, 0));
    LOGFONTW description{};
    return font && GetObjectW(font, sizeof description, &description) ? -description.lfHeight : 0;
}

bool HasText(const TControlLayout& row) {
    for (const wchar_t* kind : {L"TWideLabel", L"TWideButton", L"TWideMemo", L"TWideEdit", L"TWideCheckBox"})
        if (std::wcscmp(row.className, kind) == 0) return true;
    return false;
}

class WizardDpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
        WriteTestLanguages(setup.Path());
    }
    void TearDown() override {
        form.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zantivo");
    }
    TForm1& Start(int dpi) {
        form.reset();
        catalogue = std::make_unique<TMultiLanguage>(setup.Path() + L"Setup.exe");
        form = std::make_unique<TForm1>(*catalogue, setup.Path(), TWindowStart::Shown, dpi);
        return *form;
    }
    TControl& Control(const wchar_t* name) { return *dynamic_cast<TControl*>(form->FindComponent(name)); }

    // Every control where the design puts it at dpi, in the design's font
    // at dpi, and inside its page.
    void ExpectLaidOutFor(int dpi) {
        RECT client;
        GetClientRect(form->Handle(), &client);
        EXPECT_EQ(client.right, Scaled(wizard::kClientWidth, dpi));
        EXPECT_EQ(client.bottom, Scaled(wizard::kClientHeight, dpi));
        for (const TControlLayout& row : FormLayout()) {
            SCOPED_TRACE(row.name);
            const TControl& control = Control(row.name);
            const RECT r = PlaceInParent(control);
            EXPECT_EQ(r.left, Scaled(row.left, dpi));
            EXPECT_EQ(r.top, Scaled(row.top, dpi));
            EXPECT_EQ(r.right, Scaled(row.left + row.width, dpi));
            // A drop-down list's window is its closed box, whose height its font sets.
            if (std::wcscmp(row.className, L"TWideComboBox") != 0) {
                EXPECT_EQ(r.bottom, Scaled(row.top + row.height, dpi));
            }
            if (HasText(row)) {
                EXPECT_EQ(FontHeight(control), Scaled(row.fontHeight ? row.fontHeight : 13, dpi));
            }
            if (std::wcsncmp(row.parent, L"TabSheet", 8) == 0) {
                EXPECT_GE(r.left, 0);
                EXPECT_GE(r.top, 0);
                EXPECT_LE(r.right, client.right);
                EXPECT_LE(r.bottom, client.bottom);
            }
        }
    }

    RecordingDialogs dialogs;
    TempFolder setup;
    std::unique_ptr<TMultiLanguage> catalogue;
    std::unique_ptr<TForm1> form;
};

TEST_F(WizardDpiTest, TheFormIsLaidOutForDenserScreens) {
    const struct {
        int dpi;
        RECT next;                       // the Next button in its page
        int formFont, headingFont;       // "宋体" 13 and "黑体" 19 at the DPI
        int welcome, folder, product;    // widths of the pictures' drawings
    } cases[] = {
        {144, {525, 455, 647, 492}, 20, 29, 302, 71, 72},
        {192, {700, 606, 862, 656}, 26, 38, 402, 94, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        TForm1& wizard = Start(c.dpi);
        EXPECT_EQ(wizard.Dpi(), c.dpi);
        ExpectLaidOutFor(c.dpi);
        const RECT next = PlaceInParent(*wizard.ButtonNext1);
        EXPECT_TRUE(EqualRect(&next, &c.next));
        EXPECT_EQ(FontHeight(*wizard.Label4), c.formFont);
        EXPECT_EQ(FontHeight(*wizard.Label1), c.headingFont);

        // Each page's buttons in one row at the bottom right of the page,
        // Back, Next, Cancel from left to right, below the footer line.
        const TWideButton* rows[][3] = {{wizard.ButtonPrior1, wizard.ButtonNext1, wizard.ButtonCancel1},
                                        {wizard.ButtonPrior2, wizard.ButtonNext2, wizard.ButtonCancel2},
                                        {wizard.ButtonPrior3, wizard.ButtonNext3, wizard.ButtonCancel3},
                                        {wizard.ButtonPrior4, wizard.ButtonNext4, wizard.ButtonCancel4}};
        const TPanel* footers[] = {nullptr, wizard.Panel1, wizard.Panel4, wizard.Panel6};
        for (int page = 0; page < 4; ++page) {
            const RECT back = PlaceInParent(*rows[page][0]), next = PlaceInParent(*rows[page][1]),
                       cancel = PlaceInParent(*rows[page][2]);
            EXPECT_EQ(back.top, next.top);
            EXPECT_EQ(next.top, cancel.top);
            EXPECT_LT(back.right, next.left);
            EXPECT_LT(next.right, cancel.left);
            EXPECT_GT(cancel.left, Scaled(wizard::kClientWidth, c.dpi) / 2);
            EXPECT_LT(cancel.bottom, Scaled(wizard::kClientHeight, c.dpi));
            if (footers[page]) {
                EXPECT_LT(PlaceInParent(*footers[page]).bottom, next.top) << "page " << page;
            }
        }
        EXPECT_TRUE(EqualRect(&next, &c.next));

        // The drawings made for the scale, shown at their own size.
        const std::pair<TWideImage*, int> pictures[] = {
            {wizard.Image1, c.welcome}, {wizard.Image2, c.welcome}, {wizard.ImageDir, c.folder},
            {wizard.ImageIco1, c.product}, {wizard.ImageIco3, c.product}};
        for (auto [picture, width] : pictures) {
            ASSERT_NE(picture->Pixels(), nullptr) << picture->Name();
            EXPECT_EQ(picture->Pixels()->width, width) << picture->Name();
            const RECT r = PlaceInParent(*picture);
            EXPECT_EQ(r.right - r.left, width) << picture->Name();
            EXPECT_EQ(r.bottom - r.top, picture->Pixels()->height) << picture->Name();
        }
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WizardDpiTest, MovingToAnotherDpiOnTheDestinationPageKeepsWhatTheUserDid) {
    TForm1& wizard = Start(96);
    SendMessageW(wizard.ButtonNext1->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(wizard.PageControl1->ActivePageIndex(), 1);
    const std::wstring typed = setup.Path() + L"Typed\\Folder";
    wizard.EditDir->SetText(typed);
    SetForegroundWindow(wizard.Handle());
    SetFocus(wizard.EditDir->Handle());
    ASSERT_EQ(GetFocus(), wizard.EditDir->Handle());
    const std::wstring caption = wizard.Caption(), folderText = wizard.LabelDir->Text();

    // To a 200 % monitor, where Windows proposes a place of the size the form asked for.
    SIZE size{};
    SendMessageW(wizard.Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, 192, reinterpret_cast<LPARAM>(&size));
    EXPECT_GT(size.cx, 1464);
    EXPECT_GT(size.cy, 696);
    RECT suggested{40, 30, 40 + size.cx, 30 + size.cy};
    SendMessageW(wizard.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT window;
    GetWindowRect(wizard.Handle(), &window);
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 30);
    ExpectLaidOutFor(192);
    EXPECT_EQ(wizard.ImageDir->Pixels()->width, 94);
    // The page, the texts, the focus and the typed folder are as they were.
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 1);
    EXPECT_TRUE(wizard.TabSheet2->Visible());
    EXPECT_FALSE(wizard.TabSheet1->Visible());
    EXPECT_EQ(wizard.EditDir->Text(), typed);
    EXPECT_EQ(GetFocus(), wizard.EditDir->Handle());
    EXPECT_EQ(wizard.Caption(), caption);
    EXPECT_EQ(wizard.LabelDir->Text(), folderText);

    // Back at 100 %, every bound and font is the design's again, to the pixel.
    suggested = {40, 30, 40 + 100, 30 + 100};
    SendMessageW(wizard.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    ExpectLaidOutFor(96);
    EXPECT_EQ(wizard.ImageDir->Pixels()->width, 47);

    // Next takes the typed folder.
    SendMessageW(wizard.ButtonNext2->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(wizard.PageControl1->ActivePageIndex(), 2);
    EXPECT_EQ(wizard.EditDir->Text(), typed + L"\\");
    EXPECT_TRUE(FolderExists(typed));
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
