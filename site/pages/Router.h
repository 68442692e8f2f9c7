#pragma once

#include "site/pages/PageRequest.h"
#include "site/pages/PageSource.h"

// The one map from a request to its answer, for every kind of encyclopedia.
SiteAnswer Route(const PageRequest &request, const PageSource &source);

// ParseRequest, then Route.
SiteAnswer AnswerTarget(QByteArrayView target, const PageSource &source);
