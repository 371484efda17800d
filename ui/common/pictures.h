#pragma once
// The small pictures on the command buttons, drawn in code so that the program needs no image files.

class QPushButton;
class QIcon;

namespace qcal::ui {

enum class Picture { Calculate, Clear, About, Exit, BatchBuy, BatchSell, Ok, Convert };

inline constexpr int kPictureSize = 12;  // pixels, square

QIcon DrawPicture(Picture picture);
// Sets the picture as the button's icon at kPictureSize.
void PutPicture(QPushButton* button, Picture picture);

} // namespace qcal::ui
