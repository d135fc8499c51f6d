#pragma once
// Forms: fixed single border, system menu with the close box only, centred on the screen, owned
// by the application window. A modal run has its own message loop with dialog keys (Tab and
// Shift+Tab in creation order, Enter, Escape, Alt+letter access keys) and ends when ModalResult
// is non-zero and the close query agrees.
#include "gui/Control.h"
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

using TCloseQueryEvent = std::function<void(TWinControl* sender, bool& canClose)>;

class TButton;

class TForm : public TWinControl {
public:
    static constexpr const char* StaticClassName = "TForm";
    TForm();
    ~TForm() override;
    const char* ClassName() const override { return StaticClassName; }

    // Builds the form from the layout in the RCDATA resource of that name.
    void ReadLayout(const std::string& resourceName);
    void ReadLayoutText(std::string_view text, const std::string& source);

    // Event handlers that layouts bind by name; register them before reading.
    void AddHandler(const std::string& name, TNotifyEvent handler) { notifyHandlers_[name] = std::move(handler); }
    void AddHandler(const std::string& name, TCloseQueryEvent handler) { closeQueryHandlers_[name] = std::move(handler); }
    const TNotifyEvent* FindNotifyHandler(const std::string& name) const;
    const TCloseQueryEvent* FindCloseQueryHandler(const std::string& name) const;

    // The form owns every control made for it, in creation order (which is also the Tab order).
    TWinControl* InsertControl(std::unique_ptr<TWinControl> control);
    const std::vector<std::unique_ptr<TWinControl>>& Components() const { return components_; }
    TWinControl* FindComponent(std::string_view name) const;
    // The named control of the given class; raises ELayoutError when there is none.
    template <class T>
    T* FindControl(std::string_view name) const
    {
        auto* control = dynamic_cast<T*>(FindComponent(name));
        if (!control) MissingControl(name);
        return control;
    }

    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void SetClientSize(int width, int height);

    int ShowModal();
    bool InModalRun() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result);
    // In the modal run: ModalResult := Cancel. Otherwise: hides the form when the close query agrees.
    void Close();
    virtual bool CloseQuery();
    TCloseQueryEvent OnCloseQuery;

    // The control that takes the focus when the hidden form is shown (SetFocus on a control of
    // a hidden form lands here).
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control) { activeControl_ = control; }

    TButton* DefaultButton() const;
    TButton* CancelButton() const;
    // Handles a dialog key of the modal loop; true when the message is used up.
    bool DialogKey(const MSG& msg);

    void SetProperty(const std::string& name, const TLayoutValue& value, TLayoutReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A tick of a window timer of this form.
    virtual void Timer(UINT_PTR /*id*/) {}

private:
    [[noreturn]] void MissingControl(std::string_view name) const;
    void SelectNext(bool forward);
    bool AccessKey(char key);
    void EndModalIfAllowed();
    void CenterOnScreen();

    std::vector<std::unique_ptr<TWinControl>> components_;
    std::map<std::string, TNotifyEvent> notifyHandlers_;
    std::map<std::string, TCloseQueryEvent> closeQueryHandlers_;
    int clientWidth_ = 0, clientHeight_ = 0;
    int modalResult_ = mrNone;
    bool modal_ = false;
    HWND lastFocus_ = nullptr;
    TWinControl* activeControl_ = nullptr;
};
