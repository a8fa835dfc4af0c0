#pragma once

#include <QObject>
#include <QString>

// One entry of the tag list shown beside the scenes: a tag name (a scene tag,
// a scene type name or a filter word), its score (the number of scenes it
// applies to) and whether the user picked it as a filter term.
//
// Created without a parent and never deleted.
class CTagViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(float score READ score WRITE setScore NOTIFY scoreChanged)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY selectedChanged)
    // How many of the scenes shown now would stay shown if this tag were
    // picked too; for a picked tag, the number shown. 0: picking it would
    // hide every scene (the panel may dim it). Kept current by the
    // configuration view model after every re-filter, scene edit and change
    // of the scene list; -1 until first counted.
    Q_PROPERTY(int facetCount READ facetCount NOTIFY facetCountChanged)

public:
    CTagViewModel();
    CTagViewModel(const QString &name, float score);

    QString name() const { return m_name; }
    float score() const { return m_score; }
    bool selected() const { return m_selected; }
    int facetCount() const { return m_facetCount; }

    void setName(const QString &name);
    // Plain float inequality decides: NaN never equals, so it always emits.
    void setScore(float score);
    void setSelected(bool selected);
    void setFacetCount(int count);

signals:
    void nameChanged();
    void selectedChanged();
    void scoreChanged();
    void facetCountChanged();

private:
    QString m_name;
    bool m_selected = false;
    float m_score = 0.0f;
    int m_facetCount = -1;
};
