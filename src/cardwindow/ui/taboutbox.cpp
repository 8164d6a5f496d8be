#include "cardwindow/ui/taboutbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/text_tables.h"
#include "core/ui/thelprtf.h"
#include "platform/ui/qt_text.h"

namespace qv {

namespace {
constexpr int kHelpPage = 30;
constexpr int kCaptionText = 332;
constexpr int kFirstLineText = 333;
}  // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
    setObjectName("TAboutBox");
    setWindowTitle(Qs(LoadText(kCaptionText)));
    auto* layout = new QVBoxLayout(this);
    for (size_t k = 0; k < Lines.size(); ++k) {
        Lines[k] = new QLabel(Qs(LoadText(kFirstLineText + int(k))), this);
        Lines[k]->setAlignment(Qt::AlignCenter);
        layout->addWidget(Lines[k]);
    }
    QFont title = Lines[0]->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.5);
    Lines[0]->setFont(title);

    Esci = new QPushButton(Qs(LoadText(338)), this);
    Esci->setObjectName("Esci");
    Esci->setToolTip(Qs(LoadText(339)));
    Esci->setDefault(true);
    Help2 = new QPushButton(Qs(LoadText(340)), this);
    Help2->setObjectName("Help2");
    Help2->setToolTip(Qs(LoadText(341)));
    Help2->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Esci);
    buttons->addWidget(Help2);
    layout->addLayout(buttons);
    connect(Esci, &QPushButton::clicked, this, &TAboutBox::EsciClick);
    connect(Help2, &QPushButton::clicked, this, &TAboutBox::Help2Click);
}

void TAboutBox::EsciClick() {
    reject();
}

void TAboutBox::Help2Click() {
    ShowHelpPage(this, kHelpPage);
}

}  // namespace qv
