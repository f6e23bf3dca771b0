#pragma once

#include "harvest/HarvestLine.h"

#include <QString>

// What the view's commands read from the window that shows it: the address
// typed, the lines selected and the bookmark file. The frame hands itself over
// when it wires a new view.
class ViewInput {
public:
    virtual ~ViewInput() = default;

    virtual QString TypedAddress() const = 0;
    virtual HarvestLines SelectedImages() const = 0;
    virtual HarvestLines SelectedLinks() const = 0;
    virtual QString BookmarkPath() const = 0;
};
