// The body of every export. The exports in exports.cpp only guard these: they
// catch every exception and handle the null pointers a host may pass.
// Each body lives in its subsystem's folder.
#pragma once

#ifndef TALLOWICK_API
#define TALLOWICK_API
#endif
#include "tallowick.h"

namespace tallowick {

// `count` is never null here: the export passes a local when the host gave none.
int CheckSysInfo(SysInfoResult** result, int* count);
int ReleaseSysInfo(SysInfoResult* record);

int CheckNetInfo(NetInfoResult** result, int* count);
int ReleaseNetInfo(NetInfoResult* record);

int CheckHardwareConfig(HardwareConfigResult** result, CheckCallback callback, int* count, intptr_t context);

int CheckHdd(HddNode** result, CheckCallback callback, int* count, intptr_t context);
int ReleaseHdd(HddNode* list);

int CheckProcess(ProcessNode** result, int* count);
int ReleaseProcess(ProcessNode* list);

int CheckNetConfig(NetConfigNode** result, int* count);
int ReleaseNetConfig(NetConfigNode* list);

int CheckNetwork(NetworkResult** result, int* count);

int CheckShareResource(ShareResourceNode** result, int* count);
int RepairShareResource(ShareResourceNode* list, CheckCallback callback, intptr_t context);
int ReleaseShareResource(ShareResourceNode* list);

int CheckInstalledApps(InstalledAppNode** result, int* count);
int ReleaseInstalledApps(InstalledAppNode* list);

// Frees a list from its head, reading each node's link before freeing it.
template <typename Node>
void FreeList(Node* head) {
    while (head) {
        Node* next = head->pNext;
        delete head;
        head = next;
    }
}

// Appends `node` at the tail of the list whose head is `head`.
template <typename Node>
void AppendNode(Node*& head, Node* node) {
    node->pNext = nullptr;
    if (!head) { head = node; return; }
    Node* tail = head;
    while (tail->pNext) tail = tail->pNext;
    tail->pNext = node;
}

}  // namespace tallowick
