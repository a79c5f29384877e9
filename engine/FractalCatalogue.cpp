#include "FractalCatalogue.h"

namespace zv {

void InitFractalCatalogue(ParameterModel& model, Canvas& outputCanvas,
                          const std::function<void(const std::string&)>& appendToTypeList) {
    model.FractalTypeNames = {"Cantor Set", "Cross", "Sierpinsky's Gadget", "Koch Curve",
                              "L-System"};
    if (appendToTypeList) {
        for (const std::string& name : model.FractalTypeNames) {
            appendToTypeList(name);
        }
    }
    model.Canvas = &outputCanvas;
}

} // namespace zv
