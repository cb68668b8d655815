#pragma once
// The options dialog: four pages under a tab bar, each editing the shared settings record in
// place. Opening it reloads the record from the registry (dropping changes not yet saved);
// Apply writes the start-at-logon entry, saves and closes; Cancel closes and leaves the
// in-memory changes to the next save.
#include <QDialog>

#include <array>

class CGeneralProfile;
class COptionsPage;
class QPushButton;
class QTabBar;

constexpr int IDD_OPTIONS = 142;
constexpr int IDC_OPTIONS_TAB = 1020;
constexpr int kOptionsPageCount = 4;

class CDlgOptions : public QDialog {
    Q_OBJECT
public:
    explicit CDlgOptions(QWidget* parent = nullptr);
    ~CDlgOptions() override;

    QTabBar* Tabs() const { return m_tabs; }
    COptionsPage* Page(int index) const { return m_pages.at(std::size_t(index)); }
    // The page shown now.
    int CurrentPage() const;
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }

    void OnApply();

private:
    void ShowPage(int index);

    CGeneralProfile* m_profile;
    QTabBar* m_tabs;
    std::array<COptionsPage*, kOptionsPageCount> m_pages{};
    QPushButton* m_apply;
    QPushButton* m_cancel;
};
