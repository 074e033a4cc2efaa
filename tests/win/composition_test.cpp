// What a press does to a composition the input method has not finished: the
// input method is asked to complete it once, and the field takes the text
// where it was shown; with nothing composing, nothing changes.
#include "win/renderer.h"

#include <gtest/gtest.h>
#include <imm.h>

#include <string>

namespace {

std::wstring textOf(HWND edit)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

void pump()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

struct Field {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    HWND edit = ::CreateWindowExW(0, L"EDIT", L".wmv", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, window, nullptr, nullptr,
                                  nullptr);
    ~Field() { ::DestroyWindow(window); }
};

}  // namespace

TEST(Composition, ACompletedCompositionGoesInOnceWhereItWasShown)
{
    Field f;
    if (f.edit == nullptr) {
        GTEST_SKIP() << "no display for windows here";
    }
    ::SetFocus(f.edit);
    ::SendMessageW(f.edit, EM_SETSEL, 0, 0);
    HIMC context = ::ImmGetContext(f.edit);
    if (context == nullptr) {
        GTEST_SKIP() << "no input context for the field here";
    }
    const std::wstring converted = L"\u5bb6\u65cf\u65c5\u884c";
    const bool composing =
        ::ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(converted.c_str()),
                                   static_cast<DWORD>(converted.size() * sizeof(wchar_t)), nullptr, 0) &&
        ::ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0) > 0;
    ::ImmReleaseContext(f.edit, context);
    pump();
    if (!composing) {
        GTEST_SKIP() << "the input method here takes no composition from a program";
    }
    kelvwin::completeComposition(nullptr);
    pump();
    EXPECT_EQ(textOf(f.edit), converted + L".wmv");
    // A second press finds nothing composing.
    kelvwin::completeComposition(f.edit);
    pump();
    EXPECT_EQ(textOf(f.edit), converted + L".wmv");
}

TEST(Composition, WithNothingComposingAPressChangesNothing)
{
    Field f;
    if (f.edit == nullptr) {
        GTEST_SKIP() << "no display for windows here";
    }
    ::SetFocus(f.edit);
    kelvwin::completeComposition(nullptr);
    kelvwin::completeComposition(f.edit);
    pump();
    EXPECT_EQ(textOf(f.edit), L".wmv");
}
