#include <QTest>
// Placeholder until the suite is written.
class Placeholder : public QObject {
    Q_OBJECT
};
QTEST_MAIN(Placeholder)
#include "tst_buttonbar.moc"
