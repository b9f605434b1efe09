#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>

// Values a tool remembers for the rest of the run (in memory only), kept by
// type so that each tool defines its own struct beside its own code and the
// shared context needs to know none of them.
class SessionMemory {
public:
    // The tool's values, default-constructed on first use.
    template <typename T> T &of()
    {
        std::shared_ptr<void> &slot = m_values[std::type_index(typeid(T))];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T *>(slot.get());
    }

private:
    std::unordered_map<std::type_index, std::shared_ptr<void>> m_values;
};
