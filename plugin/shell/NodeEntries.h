#pragma once
// The "Node" entries under the control's CLSID key, through which the host recognises the
// plug-in of a node type: subkeys of CLSID\{clsid}\Node whose default values are the entries'
// texts.

#include "platform/com/Guid.h"

// One entry of a table ended by an entry whose subkey is null.
struct NodeEntry {
    const char* subkey;
    const char* value;
};

// Writes the entries under CLSID\{clsid}\Node, creating the keys. Unless overwrite is set, an
// entry whose subkey has a value already is left as it is. The first failed write ends the
// loop; false then, and when the CLSID cannot be formed or the Node key cannot be created.
bool WriteNodeEntries(REFCLSID clsid, const NodeEntry* entries, bool overwrite);

// Deletes each entry's subkey and then the Node key itself. False only when the CLSID cannot
// be formed.
bool RemoveNodeEntries(REFCLSID clsid, const NodeEntry* entries);
