#pragma once

class QString;

// True when a display name ends in a known picture, graphics or media file
// extension, judged by everything from its first dot on.
bool IsImageFileName(const QString& name);
