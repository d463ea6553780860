// Must not compile: the data layer has no widget headers on its include path. The test
// "layers.data_has_no_widgets" builds this and expects exactly that failure.
#include <QWidget>

int main()
{
    QWidget w;
    return 0;
}
