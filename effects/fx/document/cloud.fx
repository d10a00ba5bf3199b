// Cloud brush effect (no resource number; documents store it): drifting
// clouds from a cloud image ("Background"), seen as a sky plane in
// perspective, drawn inside the mask. (u, v) runs from 0 to 1 across the
// brush's own quad, top left (0, 0).
//   m = Mask alpha at (u mask_tex_shift.x + mask_tex_shift.y,
//                      v mask_tex_shift.z + mask_tex_shift.w)
//   k = 1 - v (0 at the bottom, 1 at the top); d = 1 - PX_Transform * k
//   x = (u - 0.5) / d; y = 1 - (PY_TransformH * k / d - PY_TransformZ)
//   p = (x tex_shift.x + 0.5 + tex_shift.z, y tex_shift.y + tex_shift.w)
//   t = Background at p * Scale + Velocity; l = (t.r + t.g + t.b) / 3
//   cover = (l + Density - 1) * Threshold, kept within 0 to 1
//   output = lerp(ColorK2, ColorK1, l), alpha m * cover
// The brush gives PX_Transform = (p - 1) / p with p >= 1, so d stays between
// 1 / p and 1; at the brush's defaults (no perspective, no height, no shift)
// p is (u, v). "Density" raises how much of the image turns into cloud,
// "Threshold" sharpens the clouds' edges; ColorK1 lights the bright parts and
// ColorK2 the dark ones.
// "Main" blends with source alpha, "MainFX" writes without blending.

texture Background
texture Mask
float2 Scale = 1, 1
float Threshold = 1
float Density = 0
float3 ColorK1 = 1, 1, 1
float3 ColorK2 = 0, 0, 0
float2 Velocity = 0, 0
float4 mask_tex_shift = 1, 0, 1, 0
float PX_Transform = 0
float PY_TransformH = 1
float PY_TransformZ = 0
float4 tex_shift = 1, 1, 0, 0

sampler2D BackgroundSampler {
    Texture = <Background>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

sampler2D MaskSampler {
    Texture = <Mask>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

pixelshader Clouds ps_2_0 {
    bind Scale c0
    bind Threshold c1
    bind Density c2
    bind ColorK1 c3
    bind ColorK2 c4
    bind Velocity c5
    bind mask_tex_shift c6
    bind PX_Transform c7
    bind PY_TransformH c8
    bind PY_TransformZ c9
    bind tex_shift c10
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c11, 1, 0.5, 0.33333334, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    mad r0.x, t0.x, c6.x, c6.y
    mad r0.y, t0.y, c6.z, c6.w
    texld r0, r0, s1                    // m = r0.w
    add r1.x, c11.x, -t0.y              // k
    mad r1.y, -c7.x, r1.x, c11.x        // d
    rcp r1.y, r1.y
    add r2.x, t0.x, -c11.y
    mul r2.x, r2.x, r1.y                // x
    mul r2.y, r1.x, r1.y
    mad r2.y, r2.y, c8.x, -c9.x
    add r2.y, c11.x, -r2.y              // y
    mad r3.x, r2.x, c10.x, c10.z
    add r3.x, r3.x, c11.y
    mad r3.y, r2.y, c10.y, c10.w        // p
    mad r3.xy, r3, c0, c5
    texld r3, r3, s0                    // t
    dp3 r4.x, r3, c11.z                 // l
    add r4.y, r4.x, c2.x
    add r4.y, r4.y, -c11.x
    mul_sat r4.y, r4.y, c1.x            // cover
    lrp r5.xyz, r4.x, c3, c4
    mul r5.w, r4.y, r0.w
    mov oC0, r5
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Clouds
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Clouds
    }
}
