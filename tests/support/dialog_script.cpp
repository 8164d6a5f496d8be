#include "support/dialog_script.h"

#include <QAbstractButton>

#include "core/core_state.h"
#include "core/ui/thelp.h"
#include "core/ui/thelprtf.h"

namespace qv::test {

std::string DialogScript::BareName(const char* className) {
    std::string name = className;
    const size_t colon = name.rfind(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

std::string DialogScript::FormName(const QObject& form) {
    const std::string name = BareName(form.metaObject()->className());
    return name == "QDialog" ? form.objectName().toStdString() : name;
}

void DialogScript::On(const std::string& form, Action action) {
    every_[form] = std::move(action);
}

void DialogScript::Next(const std::string& form, Action action) {
    next_[form].push_back(std::move(action));
}

void DialogScript::Install() {
    SetModalHook([this](QDialog& d) { return Answer(d); });
    SetMessageHook([this](const MessageRequest& r) {
        messages.push_back(r.text);
        asked.push_back(r);
        return messageAnswer;
    });
    SetFileDialogHook([this](const FileDialogRequest& r) {
        requests.push_back(r);
        if (fileAnswers.empty()) return answer;
        std::string a = std::move(fileAnswers.front());
        fileAnswers.pop_front();
        return a;
    });
}

int DialogScript::Answer(QDialog& d) {
    const std::string name = FormName(d);
    shown.push_back(d.objectName().toStdString());
    forms.push_back(name);
    if (auto* viewer = qobject_cast<THelp*>(&d)) {
        viewed.push_back(CoreState.CommandCode);
        viewerLines.push_back(viewer->MemoLines());
    }
    if (qobject_cast<THelpRTF*>(&d)) helpPages.push_back(CoreState.CommandCode);
    if (leaveOpenForms && depth_ > 4) {
        d.reject();
        return d.result();
    }
    ++depth_;
    if (leaveOpenForms) d.show();
    if (onShow) onShow(d);
    Action act;
    if (auto q = next_.find(name); q != next_.end() && !q->second.empty()) {
        act = std::move(q->second.front());
        q->second.pop_front();
    } else if (auto e = every_.find(name); e != every_.end()) {
        act = e->second;
    } else if (name != "THelp") {
        unhandled.push_back(name);
    }
    if (act) act(d);
    if (leaveOpenForms && d.isVisible()) {
        auto* exit = d.findChild<QAbstractButton*>("Esci");
        if (exit && exit->isVisible() && exit->isEnabled()) exit->click();
        if (d.isVisible()) d.reject();
    }
    --depth_;
    return d.result();
}

}  // namespace qv::test
