#pragma once

class QString;

// The display name of an address: the text after the last "/" of its path,
// followed by "?" and the query when it has one; the fragment is dropped.
// The address keeps its own encoding: nothing is decoded or encoded.
QString NameProp(const QString& address);
