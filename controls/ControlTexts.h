#pragma once

class QWidget;

// One string table entry gives a control every text that describes it, so
// the tool tip, the status prompt and what a screen reader says never drift.

// The accessible name and description of the entry stringId.
void NameControl(QWidget* control, int stringId);
// NameControl, plus the tool tip (the entry's tip, or the whole entry when it
// has one part) and, for "prompt\ntip" entries, the status prompt.
void ApplyControlTexts(QWidget* control, int stringId);
