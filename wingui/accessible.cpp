#include "wingui/accessible.h"

#include "win32/code_page.h"
#include "win32/late_binding.h"

#include <oleacc.h>

#include <new>

namespace {

using CreateStdAccessibleObjectFunction = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using SysAllocStringFunction = BSTR(WINAPI*)(const OLECHAR*);

bool IsSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The program's text as a string the caller frees.
HRESULT ToBstr(const std::string& text, BSTR* result) noexcept
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    // Loaded with the accessibility DLL, which needs it itself.
    static const auto allocate = LateFunction<SysAllocStringFunction>("oleaut32.dll", "SysAllocString");
    if (!allocate)
        return E_FAIL;
    try {
        *result = allocate(ToWide(text).c_str());
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return *result ? S_OK : E_OUTOFMEMORY;
}

// Windows' standard object for the window, with the program's name,
// description and role where it gives them. The window is looked up anew
// each time: the object may be asked after the window has gone.
class OverridingAccessible final : public IAccessible, public IOleWindow {
public:
    OverridingAccessible(HWND window, IAccessible* standard, AccessibleOverridesOf overridesOf)
        : window_(window)
        , standard_(standard)
        , overridesOf_(overridesOf)
    {
    }
    OverridingAccessible(const OverridingAccessible&) = delete;
    OverridingAccessible& operator=(const OverridingAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, IID_IAccessible))
            *object = static_cast<IAccessible*>(this);
        else if (IsEqualIID(id, IID_IOleWindow))
            *object = static_cast<IOleWindow*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return standard_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        return standard_->Invoke(member, id, locale, flags, parameters, result, exception, argumentError);
    }

    // IAccessible: the three answers the program may give itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const AccessibleOverrides* overrides = Overrides(child);
        return overrides && !overrides->name.empty() ? ToBstr(overrides->name, name)
                                                     : standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override
    {
        const AccessibleOverrides* overrides = Overrides(child);
        return overrides && !overrides->description.empty() ? ToBstr(overrides->description, description)
                                                            : standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        const AccessibleOverrides* overrides = Overrides(child);
        if (!overrides || overrides->role == 0)
            return standard_->get_accRole(child, role);
        if (!role)
            return E_POINTER;
        role->vt = VT_I4;
        role->lVal = overrides->role;
        return S_OK;
    }

    // IAccessible: everything else as the standard object has it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return standard_->get_accKeyboardShortcut(child, shortcut);
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
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override
    {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return standard_->put_accValue(child, value);
    }

    // IOleWindow: the window the object stands for.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~OverridingAccessible() { standard_->Release(); }

    const AccessibleOverrides* Overrides(const VARIANT& child) const
    {
        return IsSelf(child) && IsWindow(window_) ? overridesOf_(window_) : nullptr;
    }

    LONG references_ = 1;
    HWND window_;
    IAccessible* standard_;  // owned
    AccessibleOverridesOf overridesOf_;
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND window, WPARAM wParam, LPARAM lParam, AccessibleOverridesOf overridesOf) noexcept
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    const auto createStandard
        = LateFunction<CreateStdAccessibleObjectFunction>("oleacc.dll", "CreateStdAccessibleObject");
    const auto answer = LateFunction<LresultFromObjectFunction>("oleacc.dll", "LresultFromObject");
    if (!createStandard || !answer)
        return 0;
    IAccessible* standard = nullptr;
    if (FAILED(createStandard(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&standard))) || !standard)
        return 0;
    // The standard object is the wrapper's from here on.
    auto* object = new (std::nothrow) OverridingAccessible(window, standard, overridesOf);
    if (!object) {
        standard->Release();
        return 0;
    }
    // The answer holds a reference of its own until the reader takes it.
    const LRESULT result = answer(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}

void NotifyAccessibleDescriptionChange(HWND window) noexcept
{
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

void NotifyAccessibleNameChange(HWND window) noexcept
{
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}
