// SPDX-License-Identifier: MIT
// Reads a window as a Windows screen reader (Narrator, NVDA) reads it, through UI Automation's
// control view, and prints one line per element, depth first:
//   depth <TAB> control type <TAB> automation id <TAB> name <TAB> value <TAB> help text <TAB>
//   the name of its label
// with "-" where an element has no such property. windows/check-uia.sh runs it under Wine.
//   uiatree.exe TITLE      (a shown top-level window whose title contains TITLE)
// Exits 2 when no such window is found, 1 when UI Automation itself fails.

// windows.h first: the COM and UI Automation headers build on it.
#include <windows.h>

#include <ole2.h>
#include <uiautomation.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t *text, int length = -1)
{
    if (!text || length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    if (length < 0 && !result.empty())
        result.pop_back(); // the terminating null
    return result;
}

// A string property, or "-" where the element gives none (VT_EMPTY: not supported).
std::string property(IUIAutomationElement *element, PROPERTYID id)
{
    VARIANT value;
    VariantInit(&value);
    std::string text = "-";
    if (SUCCEEDED(element->GetCurrentPropertyValue(id, &value)) && value.vt == VT_BSTR)
        text = utf8(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)));
    VariantClear(&value);
    return text;
}

// The name of the element that labels this one (LabeledBy), or "-".
std::string labelName(IUIAutomationElement *element)
{
    IUIAutomationElement *label = nullptr;
    if (FAILED(element->get_CurrentLabeledBy(&label)) || !label)
        return "-";
    std::string name = property(label, UIA_NamePropertyId);
    label->Release();
    return name;
}

const char *controlTypeName(CONTROLTYPEID type)
{
    switch (type) {
    case UIA_ButtonControlTypeId:
        return "Button";
    case UIA_EditControlTypeId:
        return "Edit";
    case UIA_TextControlTypeId:
        return "Text";
    case UIA_WindowControlTypeId:
        return "Window";
    case UIA_PaneControlTypeId:
        return "Pane";
    case UIA_GroupControlTypeId:
        return "Group";
    case UIA_TitleBarControlTypeId:
        return "TitleBar";
    case UIA_CustomControlTypeId:
        return "Custom";
    default:
        return nullptr;
    }
}

void print(IUIAutomationElement *element, int depth)
{
    CONTROLTYPEID type = 0;
    element->get_CurrentControlType(&type);
    const char *typeName = controlTypeName(type);
    const std::string typeText = typeName ? typeName : std::to_string(type);
    std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\n", depth, typeText.c_str(),
                property(element, UIA_AutomationIdPropertyId).c_str(),
                property(element, UIA_NamePropertyId).c_str(),
                property(element, UIA_ValueValuePropertyId).c_str(),
                property(element, UIA_HelpTextPropertyId).c_str(), labelName(element).c_str());
}

void walk(IUIAutomationTreeWalker *walker, IUIAutomationElement *element, int depth)
{
    print(element, depth);
    IUIAutomationElement *child = nullptr;
    walker->GetFirstChildElement(element, &child);
    while (child) {
        walk(walker, child, depth + 1);
        IUIAutomationElement *next = nullptr;
        walker->GetNextSiblingElement(child, &next);
        child->Release();
        child = next;
    }
}

struct Search
{
    std::wstring title;
    HWND window = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM data)
{
    auto *search = reinterpret_cast<Search *>(data);
    wchar_t text[512];
    if (IsWindowVisible(window) && GetWindowTextW(window, text, 512) > 0 &&
        std::wstring(text).find(search->title) != std::wstring::npos) {
        search->window = window;
        return FALSE;
    }
    return TRUE;
}

int run(const std::wstring &title)
{
    Search search{title};
    EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.window) {
        std::fprintf(stderr, "No window whose title contains \"%s\"\n",
                     utf8(title.c_str()).c_str());
        return 2;
    }
    IUIAutomation *automation = nullptr;
    HRESULT result = CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IUIAutomation, reinterpret_cast<void **>(&automation));
    if (FAILED(result)) {
        std::fprintf(stderr, "CUIAutomation cannot be created: 0x%08lx\n", result);
        return 1;
    }
    // The control view, as screen readers walk it. Wine 10 has no ControlViewWalker property, but
    // makes the same walker from the control view's condition.
    IUIAutomationCondition *controlView = nullptr;
    IUIAutomationTreeWalker *walker = nullptr;
    IUIAutomationElement *window = nullptr;
    if (FAILED(result = automation->get_ControlViewCondition(&controlView)) ||
        FAILED(result = automation->CreateTreeWalker(controlView, &walker)) ||
        FAILED(result = automation->ElementFromHandle(search.window, &window)) || !window) {
        std::fprintf(stderr, "UI Automation gives no control view of the window: 0x%08lx\n",
                     result);
        if (walker)
            walker->Release();
        if (controlView)
            controlView->Release();
        automation->Release();
        return 1;
    }
    walk(walker, window, 0);
    window->Release();
    walker->Release();
    controlView->Release();
    automation->Release();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: uiatree.exe TITLE\n");
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 1;
    const int status = run(argv[1]);
    std::fflush(stdout);
    CoUninitialize();
    return status;
}
