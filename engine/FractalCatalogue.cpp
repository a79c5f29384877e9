#include "FractalCatalogue.h"

namespace zv {

std::string FractalTypeRange() {
    return "0 to " + std::to_string(FractalTypeCount - 1);
}

void InitFractalCatalogue(ParameterModel& model, Canvas& outputCanvas,
                          const std::function<void(const std::string&)>& appendToTypeList) {
    for (const FractalTypeRow& row : FractalCatalogue) {
        model.FractalTypeNames[static_cast<std::size_t>(row.type)] = std::string(row.name);
    }
    if (appendToTypeList) {
        for (const std::string& name : model.FractalTypeNames) {
            appendToTypeList(name);
        }
    }
    model.Canvas = &outputCanvas;
}

} // namespace zv
