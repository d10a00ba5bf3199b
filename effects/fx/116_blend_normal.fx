// Default effect of the static frame-sequence animation (resource 116): the
// current frame tinted by "Color" (the particle colour and its alpha times
// the time line's fade), blended over what is drawn by its alpha. The
// vertex colour is not used.
//   out = Texture at (u, v) x Color

texture Texture
float4 Color = 1, 1, 1, 1

sampler2D TextureSampler {
    Texture = <Texture>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

pixelshader Tinted ps_2_0 {
    bind Color c0
    bind TextureSampler s0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    mul r0, r0, c0
    mov oC0, r0
}

technique Blend_Normal {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Tinted
    }
}
