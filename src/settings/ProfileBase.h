#pragma once
// A settings record kept under one root key: Save, Load and SetDefaults, and the changed flag
// that Save looks at.
#include "settings/RegisterAccess.h"

class CProfileBase : public CRegisterAccess {
public:
    explicit CProfileBase(const QString& rootKeyPath) : CRegisterAccess(rootKeyPath) {}
    ~CProfileBase() override = default;

    virtual bool Save() = 0;
    virtual bool Load() = 0;
    virtual bool SetDefaults() = 0;

    // Whoever changes a field marks the record changed; the flag stays set for the whole run.
    void SetChanged() { m_changed = true; }
    bool IsChanged() const { return m_changed; }

private:
    bool m_changed = false;
};
