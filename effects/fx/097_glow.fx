// Glow effect of the glowing sprites (resource 97). The sprites' own vertex
// colour arrives from the fixed-function vertex stage.
// "Blend_Max": a sprite's glow picture into the glow target,
//   g = Texture1 x vertex alpha (colour premultiplied by the picture's
//   alpha), kept where it is brighter than what the target holds (MAX), so
//   overlapping sprites do not add up.
// "Blend_Screen": the picture area again, the glow target (Texture2) laid
//   over the scene so far (Texture1):
//   k = Texture2 rgb x BlendColor rgb x BlendColor a
//   out = s + k - s k    (screen), opaque
// "Blend_Normal": the same, mixed by the glow's coverage:
//   out = s (1 - Texture2 a x BlendColor a) + k, opaque
// "Common": the sprites drawn on top, picture times vertex colour, blended
//   with source alpha.

texture Texture1
texture Texture2
float4 BlendColor = 1, 1, 1, 1

sampler2D Sampler1 {
    Texture = <Texture1>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = CLAMP
    AddressV = CLAMP
}

sampler2D Sampler2 {
    Texture = <Texture2>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = CLAMP
    AddressV = CLAMP
}

pixelshader GlowSprite ps_2_0 {
    bind Sampler1 s0
    dcl v0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    mul r1.w, r0.w, v0.w                // picture alpha x vertex alpha
    mul r1.xyz, r0, r1.w
    mov oC0, r1
}

pixelshader ScreenGlow ps_2_0 {
    bind BlendColor c0
    bind Sampler1 s0
    bind Sampler2 s1
    def c1, 1, 1, 1, 1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s0                    // s, the scene
    texld r1, t0, s1                    // the glow
    mul r2.xyz, r1, c0
    mul r2.xyz, r2, c0.w                // k
    mul r3.xyz, r0, r2                  // s k
    add r4.xyz, r0, r2
    sub r4.xyz, r4, r3
    mov r4.w, c1.w
    mov oC0, r4
}

pixelshader NormalGlow ps_2_0 {
    bind BlendColor c0
    bind Sampler1 s0
    bind Sampler2 s1
    def c1, 1, 1, 1, 1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s0
    texld r1, t0, s1
    mul r2.xyz, r1, c0
    mul r2.xyz, r2, c0.w                // k
    mul r3.w, r1.w, c0.w                // coverage
    sub r3.w, c1.w, r3.w
    mad r4.xyz, r0, r3.w, r2
    mov r4.w, c1.w
    mov oC0, r4
}

pixelshader Sprite ps_2_0 {
    bind Sampler1 s0
    dcl v0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    mul r0, r0, v0
    mov oC0, r0
}

technique Blend_Max {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = TRUE
        BlendOp = MAX
        SrcBlend = ONE
        DestBlend = ONE
        PixelShader = GlowSprite
    }
}

technique Blend_Screen {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = FALSE
        PixelShader = ScreenGlow
    }
}

technique Blend_Normal {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = FALSE
        PixelShader = NormalGlow
    }
}

technique Common {
    pass P0 {
        CullMode = NONE
        ZEnable = FALSE
        AlphaBlendEnable = TRUE
        BlendOp = ADD
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Sprite
    }
}
