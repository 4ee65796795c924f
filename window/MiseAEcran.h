#pragma once

#include <QScrollArea>
#include <QSize>
#include <memory>

namespace zef30 {

// The window as a screen whose free area is `disponible` can show it. Null when the area holds
// the window at its design size: the window is shown as it is. Otherwise a frame with scroll bars
// that holds it, sized to the area, never larger than the window: every control keeps its place
// and is reached by scrolling. The frame gives the window back (unowned) when it goes, and closing
// the frame closes the window, as its own close button would.
std::unique_ptr<QScrollArea> MettreAEcran(QWidget& fenetre, const QSize& disponible);

}  // namespace zef30
