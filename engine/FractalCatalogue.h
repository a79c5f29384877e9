#pragma once

#include "ParameterModel.h"

#include <functional>
#include <string>

namespace zv {

class Canvas;

// Fills FractalTypeNames, hands each name in index order to appendToTypeList
// (so list position and type index agree) and binds the drawing area.
void InitFractalCatalogue(ParameterModel& model, Canvas& outputCanvas,
                          const std::function<void(const std::string&)>& appendToTypeList);

} // namespace zv
