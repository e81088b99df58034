// The part of the view beyond the window's bottom edge.
#include "view/documentview.h"

void DocumentView::setHiddenBottom(int pixels)
{
    // The view keeps its size; only the area in which the text is shown and scrolled ends
    // higher, so scrolling to the end, or following the caret down, brings the last line into
    // the part of the window that shows.
    // The frame's bottom edge lies in the hidden part too.
    const int margin = qMax(0, pixels - frameWidth());
    if (viewportMargins().bottom() != margin)
        setViewportMargins(0, 0, 0, margin);
}
