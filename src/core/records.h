// The public records as the library's own code sees them: the host's header
// (without the import declarations) and the lists built of them.
#pragma once

#ifndef TALLOWICK_API
#define TALLOWICK_API
#endif
#include "tallowick.h"

#include "core/lists.h"

namespace tallowick {

// An environment node owns its value text (an array).
template <>
struct NodeTraits<EnvironmentVariableNode> {
    static void Free(EnvironmentVariableNode* node) {
        if (!node) return;
        delete[] node->pszValue;
        delete node;
    }
};

// A system report owns its two lists.
template <>
struct NodeTraits<SysInfoResult> {
    static void Free(SysInfoResult* record) {
        if (!record) return;
        FreeList(record->pPagingFiles);
        FreeList(record->pEnvironment);
        delete record;
    }
};

// An extended adapter node owns its three address lists.
template <>
struct NodeTraits<NetAdapterExNode> {
    static void Free(NetAdapterExNode* node) {
        if (!node) return;
        FreeList(node->pUnicastAddresses);
        FreeList(node->pGateways);
        FreeList(node->pDnsServers);
        delete node;
    }
};

}  // namespace tallowick
