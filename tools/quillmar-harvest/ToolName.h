#pragma once

#include <QByteArray>
#include <QString>

// How the tool names itself before a message on standard error: with a shard,
// "quillmar-harvest (shard 2/3)", so the messages of runs that share one
// terminal or log tell whose they are.
class ToolName {
public:
    static void SetShard(const QString& shard);
    // The shard as K/N; empty without one.
    static QString Shard();
    // "quillmar-harvest: " or "quillmar-harvest (shard K/N): ".
    static QByteArray Prefix();
};
