#pragma once
// How the main window opens its side windows. Each opener creates its window on first use,
// keeps it in Form1::SideWindow(n), and shows it without blocking.

namespace qcal::ui {

class Form1;

void OpenAbout(Form1& main);      // Form2
void OpenConverter(Form1& main);  // Form5
void OpenMini(Form1& main);       // Form6
void OpenBatchBuy(Form1& main);   // Form4
void OpenBatchSell(Form1& main);  // Form3
// Posts the batches of the multi-batch sell window into the main window again (after the buy side
// changed under them); nothing when the window is gone.
void RepostBatchSell(Form1& main);
// Empties the six batch fields (and their accepted values) of Form3 and Form4 when they exist.
void ClearBatchFields(Form1& main);

} // namespace qcal::ui
