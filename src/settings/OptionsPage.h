#pragma once
// A page of the options dialog: built from its Designer template, it reads the shared settings
// when created and writes every change straight back into them.
#include <QVariant>
#include <QWidget>

class CGeneralProfile;

class COptionsPage : public QWidget {
public:
    COptionsPage(CGeneralProfile& profile, QWidget* parent) : QWidget(parent), m_profile(profile) {}

    // The control with this dialog control id (the "controlId" property of the template).
    QWidget* Control(int id) const
    {
        for (QWidget* w : findChildren<QWidget*>())
            if (w->property("controlId").toInt() == id)
                return w;
        return nullptr;
    }

protected:
    CGeneralProfile& m_profile;
};
