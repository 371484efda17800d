#include "ui/tools/side_window.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "core/outcome.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/common/main_feed.h"
#include "ui/common/message_box.h"

namespace qcal::ui {

SideWindow::SideWindow(MainLink& main, const Layout& layout)
    : QWidget(nullptr, Qt::Window), main_(main), layout_(layout)
{
    // No parent: hiding the main window must not take this one with it. The main window
    // deletes its side windows at exit.
    setObjectName(QString::fromLatin1(layout.objectName));
    setWindowTitle(Q(layout.caption));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SimSunFont());
    BuildControls(this, layout.controls);
    setFixedSize(TwipsToPx(this, layout.clientWidth), TwipsToPx(this, layout.clientHeight));

    text_.push_back(nullptr);
    while (auto* field = findChild<QLineEdit*>(QStringLiteral("Text%1").arg(text_.size())))
        text_.push_back(field);
    command_.push_back(nullptr);
    while (auto* button = findChild<QPushButton*>(QStringLiteral("Command%1").arg(command_.size())))
        command_.push_back(button);

    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] { Return(); });
    connect(&main.Feed(), &MainFeed::Changed, this, [this] {
        ShowUnits();
        MainChanged();
    });
    ShowUnits();
}

void SideWindow::ShowUnits()
{
    const qcal::FeeSettings& fees = View().fees;
    const QString unit =
        Q(qcal::FindInstrument(fees.market, fees.instruments ? *fees.instruments : qcal::BuiltInInstruments()).unit);
    for (const char* name : layout_.unitLabels) {
        if (auto* label = findChild<QLabel*>(QString::fromLatin1(name)))
            label->setText(unit);
    }
}

const qcal::MainView& SideWindow::View() const { return main_.Feed().View(); }

void SideWindow::Return() { close(); }

QLineEdit* SideWindow::Text(int index) const
{
    return index >= 1 && index < static_cast<int>(text_.size()) ? text_[static_cast<std::size_t>(index)] : nullptr;
}

void SideWindow::ReadTexts(std::span<std::string> texts) const
{
    for (std::size_t i = 1; i < texts.size(); ++i)
        texts[i] = S(Text(static_cast<int>(i))->text());
}

void SideWindow::WriteTexts(std::span<const std::string> texts)
{
    for (std::size_t i = 1; i < texts.size(); ++i)
        SetTextIfChanged(Text(static_cast<int>(i)), texts[i]);
}

void SideWindow::Report(const qcal::Outcome& outcome, int enteredIn)
{
    const int field = enteredIn != 0 ? enteredIn : outcome.field;
    QLineEdit* focus = outcome.Focus() == FocusTarget::Field && field != 0 ? Text(field) : nullptr;
    QLineEdit* named = outcome.field != 0 ? Text(outcome.field) : nullptr;
    Refuse(this, qcal::MessageText(outcome, named ? S(named->accessibleName()) : std::string()), focus);
}

QPushButton* SideWindow::Command(int index) const
{
    return index >= 1 && index < static_cast<int>(command_.size()) ? command_[static_cast<std::size_t>(index)]
                                                                   : nullptr;
}

void SideWindow::Unload()
{
    unloading_ = true;
    close();
    unloading_ = false;
}

void SideWindow::HideAndHandBack()
{
    hide();
    HandBack();
}

// A window that took the main window's place brings it back; another one hands the activation
// back only when the main window is on screen (About may have it hidden: that window brings it
// back when it closes). Hidden first, so that whatever the main window does on coming back
// happens with this one gone.
void SideWindow::HandBack()
{
    if (layout_.takesMainPlace || main_.Window().isVisible())
        main_.ComeBack();
}

void SideWindow::closeEvent(QCloseEvent* event)
{
    // Closed while the user sees it (its close box, its own button): control goes back.
    const bool byUser = isVisible() && !unloading_;
    QWidget::closeEvent(event);
    hide();
    if (byUser)
        HandBack();
}

} // namespace qcal::ui
