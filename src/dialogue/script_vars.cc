// dialogue/script_vars.cc: the process-wide variables and the named dialogue descriptions, each
// in 1024 chained buckets.
#include <memory>

#include "dialogue/script.h"

namespace {

template <class T>
struct Table {
    struct Entry {
        std::string name;
        T value;
        std::unique_ptr<Entry> next;
    };
    std::unique_ptr<Entry> buckets[1024];

    T* find(const char* name) {
        for (Entry* e = buckets[ScriptHash(name)].get(); e; e = e->next.get())
            if (e->name == name) return &e->value;
        return nullptr;
    }
    T* insert(const char* name, const T& value) {
        if (T* v = find(name)) {
            *v = value;
            return v;
        }
        auto e = std::make_unique<Entry>();
        e->name = name;
        e->value = value;
        std::unique_ptr<Entry>& head = buckets[ScriptHash(name)];
        e->next = std::move(head);
        head = std::move(e);
        return &head->value;
    }
    void clear() {
        for (auto& b : buckets) b.reset();
    }
};

Table<ScriptValue>& vars() {
    static Table<ScriptValue> table;
    return table;
}

Table<DialogueDescription>& dialogues() {
    static Table<DialogueDescription> table;
    return table;
}

} // namespace

unsigned ScriptHash(const char* name) {
    uint32_t h = 0;
    for (const char* p = name; *p; p++) {
        int32_t byte = (signed char)*p;
        h = (h << 3) ^ ((uint32_t)byte ^ (h >> 29));
    }
    return h & 1023u;
}

ScriptValue* LookupVar(const char* name) {
    return vars().find(name);
}

ScriptValue* InsertVar(const char* name, const ScriptValue& value) {
    return vars().insert(name, value);
}

void ScriptClearVars() {
    vars().clear();
}

const DialogueDescription* LookupDlb(const char* name) {
    return dialogues().find(name);
}

void InsertDlb(const char* name, const DialogueDescription& description) {
    dialogues().insert(name, description);
}

std::vector<std::string> DlbNames() {
    std::vector<std::string> out;
    for (auto& b : dialogues().buckets)
        for (auto* e = b.get(); e; e = e->next.get()) out.push_back(e->name);
    return out;
}
