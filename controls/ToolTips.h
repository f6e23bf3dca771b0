#pragma once

class QString;
class QWidget;

// Attaches a tool tip to a control so that hovering over it shows the text;
// the control keeps its own copy, so callers may reuse one string.
void AddToolTip(QWidget* control, const QString& text);
