#pragma once
#include <QDialog>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"

namespace qv::test {

// The person at the screen of a test: the one way every harness answers the running program.
// Install() routes every modal form, message box and open/save dialog here until the hooks are
// reset (ResetUiHooks); the script must outlive them. A form is answered by what the test queued
// for the next form of its class (Next), else by what it said for every form of its class (On),
// else it is left unanswered (answer 0) and noted in `unhandled`. Whatever the form, `onShow`
// plays first.
class DialogScript {
  public:
    using Action = std::function<void(QDialog&)>;

    void Install();

    // The class name without the namespace ("TRicercaSchede"); forms declared without their own
    // meta-object go by their object name.
    static std::string FormName(const QObject& form);

    void On(const std::string& form, Action action);
    void Next(const std::string& form, Action action);
    template <class Form>
    void On(std::function<void(Form&)> act) {
        On(BareName(Form::staticMetaObject.className()), [act](QDialog& d) { act(static_cast<Form&>(d)); });
    }
    template <class Form>
    void Next(std::function<void(Form&)> act) {
        Next(BareName(Form::staticMetaObject.className()), [act](QDialog& d) { act(static_cast<Form&>(d)); });
    }

    // With `leaveOpenForms`, each form is shown before it is answered and a form still open after
    // its answer is left as a person who opened it by mistake would: through its exit button
    // ("Esci") when it has one, else its close box; forms nested deeper than four are closed.
    bool leaveOpenForms = false;
    Action onShow;

    std::vector<std::string> shown;      // the object name of every form shown
    std::vector<std::string> forms;      // FormName of every form shown
    std::vector<std::string> unhandled;  // FormName of every form nothing answered (viewers aside)
    std::vector<int> viewed;             // CoreState.CommandCode when each text viewer opened
    std::vector<std::vector<std::string>> viewerLines;  // the lines each text viewer showed
    std::vector<int> helpPages;                         // the page of each help window opened

    std::vector<std::string> messages;  // the text of every message box shown
    std::vector<MessageRequest> asked;  // and the whole of its request
    int messageAnswer = 1;              // what each message box answers (1: OK / Yes)

    std::vector<FileDialogRequest> requests;  // every open/save dialog asked
    std::deque<std::string> fileAnswers;      // the files the next open/save dialogs choose
    std::string answer;  // the file any further one chooses, as it stands then (empty: cancelled)

  private:
    static std::string BareName(const char* className);
    int Answer(QDialog& d);

    std::map<std::string, Action> every_;
    std::map<std::string, std::deque<Action>> next_;
    int depth_ = 0;
};

}  // namespace qv::test
