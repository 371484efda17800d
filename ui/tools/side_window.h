#pragma once
// What every side window shares: its controls built from a table in twips on a client area that
// fits the screen, its fields and buttons by number, unloading when it is closed, and handing
// control back to the main window when the user closes it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <QWidget>

#include "core/main_view.h"
#include "ui/common/controls.h"
#include "ui/tools/main_link.h"

class QLineEdit;
class QPushButton;

namespace qcal {
struct Outcome;
}

namespace qcal::ui {

class SideWindow : public QWidget {
    Q_OBJECT
public:
    // How a side window is made: its name, caption, controls and client size, and whether it
    // takes the main window's place on screen (the main window is hidden while it is shown).
    struct Layout {
        const char* objectName;
        std::string_view caption;
        std::span<const ControlSpec> controls;
        int clientWidth;   // twips
        int clientHeight;  // twips
        bool takesMainPlace;
        // The labels that give a quantity's unit: they follow the kind of security (股, 张).
        std::span<const char* const> unitLabels = {};
    };

    QLineEdit* Text(int index) const;  // Text1 … TextN of the table; nullptr beyond
    QPushButton* Command(int index) const;
    bool TakesMainPlace() const { return layout_.takesMainPlace; }

    // Run by the opener each time the window is shown from the main window.
    virtual void Form_Activate() {}

    // Run whenever the main window's holding or fee settings changed while this window exists: a
    // window that shows figures computes them again from its own inputs, or clears those that no
    // longer hold, so that nothing on screen belongs to other settings than the main window's.
    virtual void MainChanged() {}

    // The main window's own closing of the window (Clear, Exit): unloads it and hands nothing back.
    void Unload();

protected:
    SideWindow(MainLink& main, const Layout& layout);

    MainLink& Main() const { return main_; }
    // The main window's holding and fee settings as it published them last.
    const qcal::MainView& View() const;

    // Esc, and the window's own way back: 返回 where it has one (the base closes the window, as its
    // close box does).
    virtual void Return();

    // Hidden, not unloaded (its texts stay for the next opening); control goes back.
    void HideAndHandBack();

    // The texts of Text1 … TextN into texts[1 … N], and back (texts[0] unused). Only changed texts
    // are written: rewriting one would lose its cursor and selection.
    void ReadTexts(std::span<std::string> texts) const;
    void WriteTexts(std::span<const std::string> texts);

    // A refusal: its message (naming the field by its caption where the message asks for it), then
    // the field to correct selected (the one where Enter was pressed, when given, else the one the
    // outcome names), its text kept.
    void Report(const qcal::Outcome& outcome, int enteredIn = 0);

    void closeEvent(QCloseEvent* event) override;

private:
    void HandBack();
    void ShowUnits();

    MainLink& main_;
    Layout layout_;
    std::vector<QLineEdit*> text_;        // index 0 unused
    std::vector<QPushButton*> command_;   // index 0 unused
    bool unloading_ = false;
};

} // namespace qcal::ui
