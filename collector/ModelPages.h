// What the reports say about each model, as pages and JSON:
//   /vexa/models/                     every model with its reports and drives
//   /vexa/models/MODEL/               one model's figures and its power-on histogram
//   /vexa/models/MODEL/figures.json   the same figures
// MODEL is the model URL-escaped. No page shows a serial number, an e-mail address
// or a drive key; the figures hold none.
#pragma once

#include <string>
#include <vector>

#include "ModelFigures.h"

namespace vexa::collector {

// "/vexa/models/" followed by the escaped model and a slash.
std::string ModelPath(const std::string& model);
// The models, most reported first; limited says that more exist than are listed.
std::string ModelsPage(const std::vector<TModelListing>& models, bool limited);
std::string ModelPage(const TModelFigures& figures);
std::string FiguresJson(const TModelFigures& figures);

}  // namespace vexa::collector
