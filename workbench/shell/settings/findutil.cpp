// Find and replace histories.
#include "workbench/shell/settings/findutil.h"

#include "workbench/shell/settings/cfglists.h"
#include "workbench/shell/settings/cfgprofile.h"
#include "workbench/shell/sysassert.h"

FindHistoryEntry::FindHistoryEntry(const char* new_text)
{
    SYS_ASSERT(new_text);
    text = new_text;
}

FindHistoryEntry::~FindHistoryEntry()
{
    if (history_link)
        history_link->unlink(this);
}

FindHistory::FindHistory(const char* profile_section) : section(profile_section ? profile_section : "")
{
}

FindHistory::~FindHistory()
{
    while (head)
        delete head;
}

void FindHistory::unlink(FindHistoryEntry* entry)
{
    if (entry->prev) {
        entry->prev->next = entry->next;
    } else {
        SYS_ASSERT(entry->history_link->head == entry);
        head = entry->next;
    }
    if (entry->next) {
        entry->next->prev = entry->prev;
    } else {
        SYS_ASSERT(entry->history_link->tail == entry);
        tail = entry->prev;
    }
    entry->prev = entry->next = nullptr;
    entry->history_link = nullptr;
    --num_items;
    modified = 1;
}

bool FindHistory::Add(FindHistoryEntry* new_item, bool at_tail)
{
    SYS_ASSERT(new_item);
    for (FindHistoryEntry* e = head; e; e = e->next) {
        if (e->text == new_item->text) {
            if (e == head) {
                delete new_item;
                return false;
            }
            delete e;
            break;
        }
    }
    if (at_tail && num_items >= MaxEntries) {
        // A stored history longer than the limit keeps its newest texts.
        delete new_item;
        return false;
    }
    while (num_items >= MaxEntries && tail)
        delete tail;
    new_item->history_link = this;
    if (at_tail) {
        new_item->prev = tail;
        if (tail)
            tail->next = new_item;
        else
            head = new_item;
        tail = new_item;
    } else {
        new_item->next = head;
        if (head)
            head->prev = new_item;
        else
            tail = new_item;
        head = new_item;
    }
    ++num_items;
    modified = 1;
    return true;
}

void FindHistory::Clear()
{
    while (head)
        delete head;
    SYS_ASSERT(num_items == 0);
    modified = 0;
}

void FindHistory::Load()
{
    CfgProfileBatch batch;
    Clear();
    const char* s = section.c_str();
    int total = Cfg_ListTotal(s);
    for (int i = 0; i < total; ++i) {
        std::string text = Cfg_EntryName(Cfg_ListGet(s, i).c_str());
        if (!text.empty())
            Add(new FindHistoryEntry(text.c_str()), true);
    }
    modified = 0;
}

void FindHistory::Save()
{
    if (!modified)
        return;
    CfgProfileBatch batch;
    const char* s = section.c_str();
    Cfg_ListClear(s);
    for (FindHistoryEntry* e = head; e; e = e->next)
        Cfg_ListAppend(s, e->text.c_str());
    modified = 0;
}

std::vector<std::string> FindHistory::Texts() const
{
    std::vector<std::string> texts;
    for (FindHistoryEntry* e = head; e; e = e->next)
        texts.push_back(e->text);
    return texts;
}
