#pragma once
// The "AIA" section of the Analyzer's profile, where the export dialog keeps
// what the user typed last. The Analyzer backs it with its settings file; the
// command line and the tests with a plain map.

#include <map>
#include <optional>
#include <string>
#include <vector>

class IAiaProfile {
public:
    virtual ~IAiaProfile() = default;
    // The stored text of key; nothing when the key is missing.
    virtual std::optional<std::string> Get(const std::string& key) const = 0;
    virtual void Set(const std::string& key, const std::string& value) = 0;
};

class OAiaMapProfile : public IAiaProfile {
public:
    std::optional<std::string> Get(const std::string& key) const override
    {
        const auto it = m_values.find(key);
        return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void Set(const std::string& key, const std::string& value) override
    {
        m_values[key] = value;
        m_order.push_back(key);
    }
    const std::map<std::string, std::string>& Values() const { return m_values; }
    // Every Set in the order it came.
    const std::vector<std::string>& Order() const { return m_order; }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_order;
};
