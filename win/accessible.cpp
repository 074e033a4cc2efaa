#include "win/accessible.h"

#include <oleacc.h>
#include <oleidl.h>

namespace kelvwin {

namespace {

bool isSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard object of a control window with the renderer's facts put in.
// Only the control itself (CHILDID_SELF) is changed; everything else, its
// place, its parent, its children, its value, is the standard object's.
// It keeps only the window handle and asks again each time, so an assistive
// technology that holds it after the window is gone gets no stale answer.
class AccessibleControl final : public IAccessible, public IOleWindow {
public:
    AccessibleControl(HWND hwnd, IAccessible* standard, FactsLookup lookup)
        : hwnd_(hwnd), standard_(standard), lookup_(lookup)
    {
    }
    AccessibleControl(const AccessibleControl&) = delete;
    AccessibleControl& operator=(const AccessibleControl&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            // WindowFromAccessibleObject asks for this.
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: late-bound calls run through this object's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return standard_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID /*iid*/, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* error, UINT* argError) override
    {
        ITypeInfo* info = nullptr;
        HRESULT hr = standard_->GetTypeInfo(0, lcid, &info);
        if (FAILED(hr) || info == nullptr) {
            return FAILED(hr) ? hr : E_NOTIMPL;
        }
        hr = info->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, error, argError);
        info->Release();
        return hr;
    }

    // IAccessible: what the facts say, the rest from the standard object.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        if (const auto answer = factText(child, name, &AccessibleFacts::name)) {
            return *answer;
        }
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        AccessibleFacts facts;
        if (role != nullptr && isSelf(child) && lookup_(hwnd_, facts) && facts.role != 0) {
            role->vt = VT_I4;
            role->lVal = facts.role;
            return S_OK;
        }
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const HRESULT hr = standard_->get_accState(child, state);
        AccessibleFacts facts;
        if (SUCCEEDED(hr) && state != nullptr && state->vt == VT_I4 && isSelf(child) && lookup_(hwnd_, facts) &&
            facts.checked) {
            state->lVal = *facts.checked ? (state->lVal | STATE_SYSTEM_CHECKED) : (state->lVal & ~STATE_SYSTEM_CHECKED);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        if (const auto answer = factText(child, text, &AccessibleFacts::description)) {
            return *answer;
        }
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override { return standard_->accSelect(how, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return standard_->accHitTest(x, y, child);
    }
    // A button's press and an option's choice are a click, posted as the
    // system's own objects post it, so that a caller in another process is
    // not held while the press opens a dialog. The click then meets the rule
    // every click meets: while a dialog runs it is refused. (Wine's standard
    // object has no default action for buttons at all.)
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        AccessibleFacts facts;
        if (isSelf(child) && lookup_(hwnd_, facts) &&
            (facts.role == ROLE_SYSTEM_PUSHBUTTON || facts.role == ROLE_SYSTEM_RADIOBUTTON)) {
            return ::PostMessageW(hwnd_, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
        }
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard_->put_accName(child, name);
    }
    // The standard object of an edit sets a value as WM_SETTEXT, which
    // reaches the model through the field's usual rules.
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard_->put_accValue(child, value);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override
    {
        if (hwnd == nullptr) {
            return E_POINTER;
        }
        *hwnd = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~AccessibleControl() { standard_->Release(); }

    // The answer of a text the facts hold (`fact`) for the control itself,
    // or nothing when the standard object answers instead.
    std::optional<HRESULT> factText(const VARIANT& child, BSTR* out,
                                    std::optional<std::wstring> AccessibleFacts::*fact) const
    {
        AccessibleFacts facts;
        if (out == nullptr || !isSelf(child) || !lookup_(hwnd_, facts) || !(facts.*fact)) {
            return std::nullopt;
        }
        const std::wstring& text = *(facts.*fact);
        *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    LONG refs_ = 1;
    HWND hwnd_;
    IAccessible* standard_;
    FactsLookup lookup_;
};

}  // namespace

LRESULT answerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, FactsLookup lookup)
{
    if (static_cast<LONG>(lp) != OBJID_CLIENT) {
        return 0;
    }
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&standard))) ||
        standard == nullptr) {
        return 0;
    }
    auto* wrapped = new AccessibleControl(hwnd, standard, lookup);
    const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(wrapped));
    wrapped->Release();
    // A failure is an HRESULT; 0 lets the window's own answer stand instead.
    return FAILED(result) ? 0 : result;
}

}  // namespace kelvwin
