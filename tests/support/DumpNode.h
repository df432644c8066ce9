#pragma once

#include "platform/render/DumpJson.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A place in a dump that tests read. A missing key, an index past the end
// or a value of another kind reads as null, zero, false or "", so a wrong
// dump fails an expectation instead of stopping the test binary. Every node
// shares the whole dump, so a node outlives the expression that found it.
class DumpNode {
public:
    DumpNode() : DumpNode(Json()) {}
    explicit DumpNode(Json json)
        : m_root(std::make_shared<const Json>(std::move(json))), m_node(m_root.get()) {}

    // Nothing when the text is not JSON.
    static std::optional<DumpNode> parse(std::string_view text) {
        Json json = Json::parse(text, nullptr, false);
        if (json.is_discarded())
            return std::nullopt;
        return DumpNode(std::move(json));
    }

    DumpNode operator[](std::string_view key) const {
        if (!m_node->is_object())
            return missing();
        auto found = m_node->find(key);
        return found == m_node->end() ? missing() : DumpNode(m_root, &*found);
    }
    DumpNode operator[](size_t index) const {
        if (!m_node->is_array() || index >= m_node->size())
            return missing();
        return DumpNode(m_root, &(*m_node)[index]);
    }

    bool isNull() const { return m_node->is_null(); }
    bool isNumber() const { return m_node->is_number(); }
    bool contains(std::string_view key) const {
        return m_node->is_object() && m_node->contains(key);
    }
    bool asBool() const { return m_node->is_boolean() && m_node->get<bool>(); }
    double asNumber() const { return m_node->is_number() ? m_node->get<double>() : 0.0; }
    std::string asString() const { return m_node->is_string() ? m_node->get<std::string>() : ""; }
    std::vector<DumpNode> asArray() const {
        std::vector<DumpNode> elements;
        if (m_node->is_array()) {
            for (const auto& element : *m_node)
                elements.push_back(DumpNode(m_root, &element));
        }
        return elements;
    }
    size_t size() const { return m_node->is_structured() ? m_node->size() : 0; }
    // The node's text as the hosts write it.
    std::string serialize(int indent = 2) const { return serializeDump(*m_node, indent); }

private:
    DumpNode(std::shared_ptr<const Json> root, const Json* node)
        : m_root(std::move(root)), m_node(node) {}
    static DumpNode missing() {
        static const DumpNode null;
        return null;
    }

    std::shared_ptr<const Json> m_root;
    const Json* m_node;
};
