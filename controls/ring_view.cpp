#include "controls/ring_view.h"

RingViewSize RingViewImageSize(int clientWidth, int clientHeight) {
  return {clientWidth - 8, clientHeight - 10};
}

CtlRect RingViewSunkenRect(const CtlRect& client) { return InsetRect(client, 3); }

CtlRect RingViewImageRect(const CtlRect& client) { return InsetRect(client, 4); }
