// Building a text item's model.
#include "model/outline/text_item.h"

#include "compat/win32.h"

int CTextItem::BuildModel(const CTextParams& newParams) {
  params = newParams;
  delete figure;
  figure = nullptr;
  CTextModel* model = new CTextModel(params);
  const int result = model->Create();
  if (!result) {
    MessageBoxW(nullptr, u"model Create Error", nullptr, MB_OK);
    delete model;
    return result;
  }
  figure = model;
  return result;
}
