// Text effect (no resource number; documents store it): the text items'
// target, white text on a transparent ground, shown on their sprite.
// "Common": out = Texture1 x vertex colour, blended with source alpha, so
//   the text takes the item's colour and opacity.
// "ScrollText": the same, read at (u, v) + Shift, where Shift is in
//   whole-texture units; outside the texture (either coordinate below 0 or
//   above 1) nothing is drawn. With Shift.y rising from -1 to 2 the text
//   enters the box from below and leaves it at the top.
// The sprites' vertex colour arrives from the fixed-function vertex stage.

texture Texture1
float2 Shift = 0, 0

sampler2D TextSampler {
    Texture = <Texture1>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

pixelshader Plain ps_2_0 {
    bind TextSampler s0
    dcl v0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    mul r0, r0, v0
    mov oC0, r0
}

pixelshader Scrolled ps_2_0 {
    bind Shift c0
    bind TextSampler s0
    def c1, 1, 0, 0, 0
    dcl v0
    dcl t0.xy
    dcl_2d s0
    add r1.xy, t0, c0                   // p
    texld r0, r1, s0
    mul r0, r0, v0
    cmp r2.x, r1.x, c1.x, c1.y          // p.x >= 0
    cmp r2.y, r1.y, c1.x, c1.y          // p.y >= 0
    add r3.xy, c1.x, -r1                // 1 - p
    cmp r2.z, r3.x, c1.x, c1.y          // p.x <= 1
    cmp r2.w, r3.y, c1.x, c1.y          // p.y <= 1
    mul r2.x, r2.x, r2.y
    mul r2.x, r2.x, r2.z
    mul r2.x, r2.x, r2.w
    mul r0.w, r0.w, r2.x
    mov oC0, r0
}

technique Common {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Plain
    }
}

technique ScrollText {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Scrolled
    }
}
