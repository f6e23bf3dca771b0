#pragma once

#include <QString>

class QWebEngineLoadingInfo;

// Why the engine could not load a page, in words a user of the tool reads:
// "the server answered HTTP 404", "connection refused", "host not found", ...
class LoadFailureText {
public:
    static QString Describe(const QWebEngineLoadingInfo& info);
};
