#pragma once

class QString;

// Receives the lines the page scan lists.
class ListSink {
public:
    virtual ~ListSink() = default;
    virtual void AddString(const QString& line) = 0;
};
