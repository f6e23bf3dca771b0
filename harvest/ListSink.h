#pragma once

class QString;

// Receives the lines the page scan lists, each with its element's address.
class ListSink {
public:
    virtual ~ListSink() = default;
    virtual void AddString(const QString& line, const QString& address) = 0;
};
