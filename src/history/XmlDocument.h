#pragma once
// A small wrapper over the XML DOM the history store works on. Child lookups get or create:
// asking for a missing child appends an empty one, so a read may add elements in memory that
// reach the file with the next save.
#include <QString>

#include <pugixml.hpp>

class CXmlNode {
public:
    CXmlNode() = default;
    explicit CXmlNode(pugi::xml_node node) : m_node(node) {}

    bool IsValid() const { return m_node.type() == pugi::node_element; }
    // The first child element with this name, created (empty, last) when there is none.
    CXmlNode GetChild(const char* name) const;
    // The element's text; an empty text with a default given takes the default.
    QString GetText() const;
    QString GetText(const QString& def) const;
    // "true"/"false" in any letter case; any other text is replaced by the default.
    bool GetBool(bool def) const;
    // The decimal value of the text (leading sign and digits, the rest ignored, no digits 0);
    // an empty text is replaced by the default.
    int GetInt(int def) const;
    bool SetText(const QString& text) const;
    bool SetBool(bool value) const;
    bool SetInt(int value) const;
    // Removes the element from its parent.
    bool Remove() const;

    pugi::xml_node Raw() const { return m_node; }

private:
    mutable pugi::xml_node m_node; // a handle: the node it names is not part of this object
};

class CXmlDocument {
public:
    enum class LoadResult { NewDocument, Loaded, Unreadable };

    // Loads the file at path; without one, starts a document holding only the declaration.
    // An unreadable file leaves the same fresh document, and the next Save moves the file aside
    // (path + ".unreadable-<UTC time>") before it writes, so nothing of it is lost.
    LoadResult Load(const QString& path);
    // Writes the whole document atomically; remembers the path on success.
    bool Save(const QString& path);
    // The document element, created as "morvex" when there is none.
    CXmlNode GetRoot();
    bool HasDocument() const { return m_loaded; }
    const QString& Path() const { return m_path; }
    // The document as it would be written.
    QByteArray ToBytes() const;

private:
    void StartNew();

    pugi::xml_document m_doc;
    QString m_path;
    QString m_unreadablePath; // a file that failed to parse, still to be moved aside
    bool m_loaded = false;
    mutable qsizetype m_lastSize = 0; // size of the last written document
};
