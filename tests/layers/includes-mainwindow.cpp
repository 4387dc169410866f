// Not compiled: the layer check reads it as if it lay in a lower layer and must refuse it.
#include "ui/mainwindow.h"
