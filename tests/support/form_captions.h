#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace qv::test {

// One row of a form's caption table: the control by object name (empty: the form's own title;
// "name:tip" its tool tip) and the text number whose text it shows as the form is created. On a
// program whose text N is "Testo N", a caption taken from the wrong text number shows here.
struct Caption {
    const char* control;
    int text;
};

// A form as it is created, with its caption table.
struct FormCaptions {
    const char* form;
    std::function<std::unique_ptr<QWidget>()> make;
    std::vector<Caption> captions;
};

// A form made with no owner.
template <class Form>
std::unique_ptr<QWidget> MakeForm() {
    return std::unique_ptr<QWidget>(new Form(nullptr));
}

// What differs from the tables, one entry per control ("TDoppie.Elabora: 'Testo 306', not
// 'Testo 307'"); a control the form lacks is an entry too. Empty when every caption holds.
std::vector<std::string> CaptionFaults(const std::vector<FormCaptions>& forms);

}  // namespace qv::test
