// The brush level that distorts the picture about a centre point.
//
// Contract for kinds: the centre is in view pixels; Wv and Hv (ViewMetrics
// picture width and height) turn it into texture space. The kind's record
// ends with WriteBody / ReadBody of this level.
#pragma once

#include "effects/brushes/FXConstructor.h"

class DS_CentralBased : public DS_FX_Constructor {
public:
    static constexpr const wchar_t* kClassName = L"DS_CentralBased";
    static constexpr int32_t kVersion = 1;

    // Centre (Wv / 2, Hv / 2, 0) from the view metrics at construction.
    DS_CentralBased();
    DS_CentralBased(const DS_CentralBased& other) = default;
    DS_CentralBased& operator=(const DS_CentralBased&) = delete;

    void Write(DS_IOF_Archive* ar) override;

    // SetCommonParams, then "Center" = (centre x / Wv, centre y / Hv).
    void SetCenterParam(DS_ABRender* service);
    // (centre x / Wv, centre y / Hv); a side of 0 counts as 1.
    void CenterInView(float& x, float& y) const;

    // "DS_CentralBased" record: three floats, then "DS_FX_Constructor".
    void WriteBody(DS_IOF_Archive* ar);
    // The version is not examined; the floats are stored directly.
    bool ReadBody(DS_IOF_Archive* ar);

    MediaParamT<D3DXVECTOR3> center;
};
