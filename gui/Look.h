// The window's colours: blue texts on a pale green page, light edit fields.
#pragma once

#include <QColor>

class QWidget;

namespace look {
inline const QColor kDialogBackground{236, 255, 245};
inline const QColor kDialogEdits{249, 249, 249};
inline const QColor kPageBackground{196, 255, 225};
inline const QColor kConvertEdits{252, 252, 252};
inline const QColor kWhite{255, 255, 255};
inline const QColor kText{0, 0, 255};
} // namespace look

// Gives the widget and its children the background, the edit-field colour
// and the blue text.
void Paint(QWidget& widget, const QColor& background, const QColor& edits);
