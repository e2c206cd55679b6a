#include "wizard/form_layout.h"

#include <cwchar>

namespace wizard {
namespace {

// Fonts of the headings; the rest use the form's "宋体" at 13 pixels.
constexpr const wchar_t* kHeiTi = L"\u9ed1\u4f53";                // 黑体
constexpr const wchar_t* kXingKai = L"\u534e\u6587\u884c\u6977";  // 华文行楷

// Design-time texts (most are replaced by the language files at start-up).
constexpr const wchar_t* kBack = L"<\u4e0a\u4e00\u6b65(&B)";      // <上一步(&B)
constexpr const wchar_t* kNext = L"\u4e0b\u4e00\u6b65(&N)>";      // 下一步(&N)>
constexpr const wchar_t* kCancel = L"\u53d6\u6d88";               // 取消

// The button row shared by pages 0 to 3, and the separators of pages 1 to 3.
constexpr int kButtonsTop = 303, kButtonWidth = 81, kButtonHeight = 25;
constexpr int kBackLeft = 254, kNextLeft = 350, kCancelLeft = 446;
constexpr int kHeaderLineTop = 58, kFooterLineTop = 294;
// Pages 1 to 3: the small product picture at the top right.
constexpr int kIconLeft = 676, kIconTop = 5, kIconSize = 48;

const TControlLayout kLayout[] = {
    {L"PageControl1", L"TWidePageControl", kFormName, 0, 0, kClientWidth, kClientHeight},
    {L"TabSheet1", L"TWideTabSheet", L"PageControl1", 0, 0, kClientWidth, kClientHeight},
    {L"TabSheet2", L"TWideTabSheet", L"PageControl1", 0, 0, kClientWidth, kClientHeight},
    {L"TabSheet3", L"TWideTabSheet", L"PageControl1", 0, 0, kClientWidth, kClientHeight},
    {L"TabSheet4", L"TWideTabSheet", L"PageControl1", 0, 0, kClientWidth, kClientHeight},
    {L"TabSheet5", L"TWideTabSheet", L"PageControl1", 0, 0, kClientWidth, kClientHeight},

    // ---- 0: welcome ----------------------------------------------------------
    {L"Image1", L"TWideImage", L"TabSheet1", 0, 0, 201, kClientHeight},
    {L"Label1", L"TWideLabel", L"TabSheet1", 216, 20, 500, 26,
     L"\u6b22\u8fce\u4f7f\u7528 xxxx \u5b89\u88c5\u5411\u5bfc", 0, kHeiTi, 19, true},  // 欢迎使用 xxxx 安装向导
    {L"Memo1", L"TWideMemo", L"TabSheet1", 216, 64, 500, 190, L"", loReadOnly | loBorderless},
    {L"LabelCompanyAll1", L"TWideLabel", L"TabSheet1", 216, 232, 320, 24, L"sCompanyAll", loHidden | loBlueText,
     kXingKai, 19},
    {L"LabelCompanyAll2", L"TWideLabel", L"TabSheet1", 216, 258, 320, 24, L"sCompanyAll", loHidden | loBlueText,
     kXingKai, 19},
    {L"lbl1", L"TWideLabel", L"TabSheet1", 216, 271, 60, 16, L"\u8bed\u8a00:", loHidden},  // 语言:
    {L"cbLanage", L"TWideComboBox", L"TabSheet1", 280, 267, 180, 21, L"", loHidden},
    {L"ButtonPrior1", L"TWideButton", L"TabSheet1", kBackLeft, kButtonsTop, kButtonWidth, kButtonHeight, kBack,
     loDisabled},
    {L"ButtonNext1", L"TWideButton", L"TabSheet1", kNextLeft, kButtonsTop, kButtonWidth, kButtonHeight, kNext,
     loDefault},
    {L"ButtonCancel1", L"TWideButton", L"TabSheet1", kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight, kCancel},
    {L"Image4", L"TImage", L"TabSheet1", 8, 8, 41, 57, L"", loHidden},
    {L"Image5", L"TImage", L"TabSheet1", 56, 8, 41, 57, L"", loHidden},
    {L"Image6", L"TImage", L"TabSheet1", 104, 8, 41, 57, L"", loHidden},

    // ---- 1: destination folder -------------------------------------------------
    {L"Label3", L"TWideLabel", L"TabSheet2", 16, 10, 640, 20, L"\u5b89\u88c5\u76ee\u6807\u6587\u4ef6\u5939", 0,
     nullptr, 16, true},  // 安装目标文件夹
    {L"Label4", L"TWideLabel", L"TabSheet2", 32, 34, 636, 16,
     // 单击“下一步”安装到此文件夹，或单击“更改”安装到不同的文件夹中。
     L"\u5355\u51fb\u201c\u4e0b\u4e00\u6b65\u201d\u5b89\u88c5\u5230\u6b64\u6587\u4ef6\u5939\uff0c\u6216\u5355\u51fb"
     L"\u201c\u66f4\u6539\u201d\u5b89\u88c5\u5230\u4e0d\u540c\u7684\u6587\u4ef6\u5939\u4e2d\u3002"},
    {L"ImageIco1", L"TWideImage", L"TabSheet2", kIconLeft, kIconTop, kIconSize, kIconSize, L"", loAutoSize},
    {L"Panel2", L"TPanel", L"TabSheet2", 0, kHeaderLineTop, kClientWidth, 3},
    {L"Panel1", L"TPanel", L"TabSheet2", 0, kFooterLineTop, kClientWidth, 2},
    {L"ImageDir", L"TWideImage", L"TabSheet2", 24, 84, 47, 42},
    {L"LabelDir", L"TWideLabel", L"TabSheet2", 84, 84, 620, 42},
    {L"EditDir", L"TWideEdit", L"TabSheet2", 84, 136, 520, 21},
    {L"ButtonChgDir", L"TWideButton", L"TabSheet2", 616, 134, kButtonWidth, kButtonHeight,
     L"\u66f4\u6539(&C)"},  // 更改(&C)
    {L"Label2", L"TWideLabel", L"TabSheet2", 10, 277, 200, 14, L"\u5b89\u88c5\u5411\u5bfc"},  // 安装向导
    {L"ButtonPrior2", L"TWideButton", L"TabSheet2", kBackLeft, kButtonsTop, kButtonWidth, kButtonHeight, kBack},
    {L"ButtonNext2", L"TWideButton", L"TabSheet2", kNextLeft, kButtonsTop, kButtonWidth, kButtonHeight, kNext,
     loDefault},
    {L"ButtonCancel2", L"TWideButton", L"TabSheet2", kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight, kCancel},

    // ---- 2: ready to install ------------------------------------------------------
    {L"Label5", L"TWideLabel", L"TabSheet3", 16, 10, 640, 20,
     L"\u5df2\u505a\u597d\u5b89\u88c5\u7a0b\u5e8f\u7684\u51c6\u5907", 0, nullptr, 16, true},  // 已做好安装程序的准备
    {L"Label6", L"TWideLabel", L"TabSheet3", 32, 34, 636, 16,
     L"\u5411\u5bfc\u51c6\u5907\u5f00\u59cb\u5b89\u88c5"},  // 向导准备开始安装
    {L"Label7", L"TWideLabel", L"TabSheet3", 24, 70, 684, 30,
     // 要查看或更改任何安装设置，请点击“上一步”。单击“取消”退出向导。
     L"\u8981\u67e5\u770b\u6216\u66f4\u6539\u4efb\u4f55\u5b89\u88c5\u8bbe\u7f6e\uff0c\u8bf7\u70b9\u51fb\u201c\u4e0a"
     L"\u4e00\u6b65\u201d\u3002\u5355\u51fb\u201c\u53d6\u6d88\u201d\u9000\u51fa\u5411\u5bfc\u3002"},
    {L"Label8", L"TWideLabel", L"TabSheet3", 24, 104, 400, 16, L"\u5f53\u524d\u8bbe\u7f6e"},  // 当前设置
    {L"ImageIco2", L"TWideImage", L"TabSheet3", kIconLeft, kIconTop, kIconSize, kIconSize, L"", loAutoSize},
    {L"Panel3", L"TPanel", L"TabSheet3", 0, kHeaderLineTop, kClientWidth, 3},
    {L"Panel4", L"TPanel", L"TabSheet3", 0, kFooterLineTop, kClientWidth, 2},
    {L"MemoInfo", L"TWideMemo", L"TabSheet3", 24, 122, 684, 160, L"", loReadOnly},
    {L"ButtonPrior3", L"TWideButton", L"TabSheet3", kBackLeft, kButtonsTop, kButtonWidth, kButtonHeight, kBack},
    {L"ButtonNext3", L"TWideButton", L"TabSheet3", kNextLeft, kButtonsTop, kButtonWidth, kButtonHeight,
     L"\u5b89\u88c5(&I)", loDefault},  // 安装(&I)
    {L"ButtonCancel3", L"TWideButton", L"TabSheet3", kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight, kCancel},

    // ---- 3: installing --------------------------------------------------------------
    {L"Labelinstall", L"TWideLabel", L"TabSheet4", 16, 10, 640, 20, L"\u6b63\u5728\u5b89\u88c5", 0, nullptr, 16,
     true},  // 正在安装
    {L"Label10", L"TWideLabel", L"TabSheet4", 32, 34, 636, 16,
     L"\u6b63\u5728\u5b89\u88c5\u60a8\u9009\u62e9\u7684\u7a0b\u5e8f\u3002"},  // 正在安装您选择的程序。
    {L"MemoInstall", L"TWideMemo", L"TabSheet4", 24, 72, 684, 52, L"", loReadOnly | loBorderless},
    {L"Label11", L"TWideLabel", L"TabSheet4", 24, 138, 200, 16, L"\u72b6\u6001:"},  // 状态:
    {L"LabelInstall2", L"TWideLabel", L"TabSheet4", 24, 158, 684, 16, L"", loPathEllipsis},
    {L"ProgressBar1", L"TProgressBar", L"TabSheet4", 24, 182, 684, 20},
    {L"ImageIco3", L"TWideImage", L"TabSheet4", kIconLeft, kIconTop, kIconSize, kIconSize, L"", loAutoSize},
    {L"Panel5", L"TPanel", L"TabSheet4", 0, kHeaderLineTop, kClientWidth, 3},
    {L"Panel6", L"TPanel", L"TabSheet4", 0, kFooterLineTop, kClientWidth, 2},
    {L"ButtonPrior4", L"TWideButton", L"TabSheet4", kBackLeft, kButtonsTop, kButtonWidth, kButtonHeight, kBack,
     loDisabled},
    {L"ButtonNext4", L"TWideButton", L"TabSheet4", kNextLeft, kButtonsTop, kButtonWidth, kButtonHeight, kNext,
     loDisabled},
    {L"ButtonCancel4", L"TWideButton", L"TabSheet4", kCancelLeft, kButtonsTop, kButtonWidth, kButtonHeight, kCancel},

    // ---- 4: finished ------------------------------------------------------------------
    {L"Image2", L"TWideImage", L"TabSheet5", 0, 0, 201, kClientHeight},
    {L"Label9", L"TWideLabel", L"TabSheet5", 216, 20, 500, 26, L"\u5b89\u88c5\u5b8c\u6210", 0, kHeiTi, 19,
     true},  // 安装完成
    {L"Memo2", L"TWideMemo", L"TabSheet5", 216, 64, 500, 160, L"", loReadOnly | loBorderless},
    {L"CheckBox1", L"TWideCheckBox", L"TabSheet5", 216, 240, 480, 20, L"\u542f\u52a8\u7a0b\u5e8f"},  // 启动程序
    {L"ButtonFinish", L"TWideButton", L"TabSheet5", kNextLeft, 304, kButtonWidth, 24, L"\u5b8c\u6210(&F)",
     loDefault},  // 完成(&F)

    // ---- the form itself ----------------------------------------------------------------
    {L"Image3", L"TWideImage", kFormName, 0, 0, 41, 57, L"", loHidden},
};

}  // namespace

std::span<const TControlLayout> FormLayout() { return kLayout; }

const TControlLayout* FindLayout(const wchar_t* name) {
    for (const TControlLayout& row : kLayout)
        if (std::wcscmp(row.name, name) == 0) return &row;
    return nullptr;
}

}  // namespace wizard
