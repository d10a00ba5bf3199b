// Light brush effect (resource 76), shared by the two light brushes.
// "Main" / "MainFX", a pulsing brightness inside the mask:
//   m = Mask alpha at (u, v); c = Background at (u, v)
//   output = c * (1 + m * multiplier), alpha m
// "Main" blends with source alpha, "MainFX" writes without blending.
// "Blend_Normal", "Blend_Screen", "PS_ColorDodge", "Blend_Sum", a coloured
// light laid over the picture ("Texture1") by one blend, per channel, with
// b the picture and k = BlendColor.rgb:
//   normal b' = k; screen b' = 1 - (1 - b)(1 - k); colour dodge
//   b' = b / (1 - k) (1 - k kept at 1/4096 or more, so a full channel
//   gives white, not 0 / 0); sum b' = b + k; each kept within 0 to 1
//   output = b', alpha BlendColor.a * Texture2 alpha (the mask)
// These four blend with source alpha over the target.

texture Background
texture Mask
texture Texture1
texture Texture2
float2 Scale = 1, 1
float multiplier = 0
float4 BlendColor = 1, 1, 1, 0

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

sampler2D PictureSampler {
    Texture = <Texture1>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

sampler2D LightMaskSampler {
    Texture = <Texture2>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = LINEAR
    AddressU = MIRROR
    AddressV = MIRROR
}

pixelshader Brighten ps_2_0 {
    bind multiplier c0
    bind BackgroundSampler s0
    bind MaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    texld r1, t0, s0                    // c
    mul r2.x, r0.w, c0.x
    mad r1.xyz, r1, r2.x, r1
    mov r1.w, r0.w
    mov oC0, r1
}

pixelshader BlendNormal ps_2_0 {
    bind BlendColor c0
    bind LightMaskSampler s1
    dcl t0.xy
    dcl_2d s1
    texld r0, t0, s1
    mov r1.xyz, c0
    mul r1.w, r0.w, c0.w
    mov oC0, r1
}

pixelshader BlendScreen ps_2_0 {
    bind BlendColor c0
    bind PictureSampler s0
    bind LightMaskSampler s1
    def c1, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1
    texld r1, t0, s0                    // b
    add r2.xyz, c1.x, -c0               // 1 - k
    mad_sat r1.xyz, r1, r2, c0          // b (1 - k) + k
    mul r1.w, r0.w, c0.w
    mov oC0, r1
}

pixelshader ColorDodge ps_2_0 {
    bind BlendColor c0
    bind PictureSampler s0
    bind LightMaskSampler s1
    def c1, 1, 0.00024414062, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1
    texld r1, t0, s0                    // b
    add r2.xyz, c1.x, -c0
    max r2.xyz, r2, c1.y                // 1 - k, never 0
    rcp r3.x, r2.x
    rcp r3.y, r2.y
    rcp r3.z, r2.z
    mul_sat r1.xyz, r1, r3
    mul r1.w, r0.w, c0.w
    mov oC0, r1
}

pixelshader BlendSum ps_2_0 {
    bind BlendColor c0
    bind PictureSampler s0
    bind LightMaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1
    texld r1, t0, s0                    // b
    add_sat r1.xyz, r1, c0
    mul r1.w, r0.w, c0.w
    mov oC0, r1
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Brighten
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Brighten
    }
}

technique Blend_Normal {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = BlendNormal
    }
}

technique Blend_Screen {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = BlendScreen
    }
}

technique PS_ColorDodge {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = ColorDodge
    }
}

technique Blend_Sum {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = BlendSum
    }
}
