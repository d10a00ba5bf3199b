// Particle layer effect (no resource number; documents store it).
//
// The particle kinds draw their sprites into a private layer ("BlendMask",
// "JoinMask") and then lay that layer over the picture with one of the
// composition techniques.
//   sprite = Texture1 * diffuse, drawn premultiplied (rgb * a, a) over the
//            layer with ONE / INVSRCALPHA, so overlapping sprites blend by
//            their alpha and the layer's alpha gathers their coverage.
//   L = min(layer colour, layer alpha): the premultiplied colour. A layer
//       cleared to transparent black holds exactly that; one cleared to
//       transparent white ("JoinMask") keeps white where it is not fully
//       covered, and the min takes that white back out, so an empty texel
//       is L = 0 in both.
//   S = the scene ("Texture1" of screen and dodge)
//   CommonTex           L + picture * (1 - alpha)
//   Blend_SumTex        picture + L
//   Blend_ScreenTex     S + L - S * L
//   Blend_ColorDodgeTex S / (1 - L), saturated
// Where the layer is empty L = 0 and each composition leaves the picture as
// it was.
//
// Glowing kinds draw two layers into a private target cleared to transparent
// black, each with "BlendMask_Max": the sprite (premultiplied, as above) is
// kept where it is brighter than what the layer holds (blend op MAX), so a
// crowd of sprites never saturates into a block. "Main" then redraws the
// whole picture:
//   Texture1 = the scene S, Texture2 = the glow layer G, Texture3 = the
//   sharp layer A (both premultiplied)
//   Main                S + G + A, saturated
// so the scene shows unchanged where both layers are empty.

texture Texture1
texture Texture2
texture Texture3

sampler2D Sampler1 {
    Texture = <Texture1>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

sampler2D Sampler2 {
    Texture = <Texture2>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

sampler2D Sampler3 {
    Texture = <Texture3>
    MinFilter = LINEAR
    MagFilter = LINEAR
    MipFilter = NONE
    AddressU = CLAMP
    AddressV = CLAMP
}

pixelshader Sprite ps_2_0 {
    bind Sampler1 s0
    dcl t0.xy
    dcl v0
    dcl_2d s0
    texld r0, t0, s0
    mul r0, r0, v0
    mul r0.xyz, r0, r0.w
    mov oC0, r0
}

pixelshader Layer ps_2_0 {
    bind Sampler1 s0
    dcl t0.xy
    dcl_2d s0
    texld r0, t0, s0
    min r0.xyz, r0, r0.w                // L
    mov oC0, r0
}

pixelshader Screen ps_2_0 {
    bind Sampler1 s0
    bind Sampler2 s1
    def c0, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s0                    // S
    texld r1, t0, s1
    min r1.xyz, r1, r1.w                // L
    mul r2.xyz, r0, r1
    add r0.xyz, r0, r1
    add r0.xyz, r0, -r2
    mov r0.w, c0.x
    mov oC0, r0
}

pixelshader ColorDodge ps_2_0 {
    bind Sampler1 s0
    bind Sampler2 s1
    def c0, 1, 0.00390625, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s0                    // S
    texld r1, t0, s1
    min r1.xyz, r1, r1.w                // L
    add r1.xyz, c0.x, -r1               // 1 - L
    max r1.xyz, r1, c0.y                // kept above 0: a full layer gives white
    rcp r2.x, r1.x
    rcp r2.y, r1.y
    rcp r2.z, r1.z
    mul r0.xyz, r0, r2
    min r0.xyz, r0, c0.x
    mov r0.w, c0.x
    mov oC0, r0
}

pixelshader GlowSum ps_2_0 {
    bind Sampler1 s0
    bind Sampler2 s1
    bind Sampler3 s2
    def c0, 1, 0, 0, 0
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    dcl_2d s2
    texld r0, t0, s0                    // S
    texld r1, t0, s1                    // G
    texld r2, t0, s2                    // A
    add r0.xyz, r0, r1
    add_sat r0.xyz, r0, r2
    mov r0.w, c0.x
    mov oC0, r0
}

technique BlendMask {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = ONE
        DestBlend = INVSRCALPHA
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Sprite
    }
}

technique JoinMask {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = ONE
        DestBlend = INVSRCALPHA
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Sprite
    }
}

technique CommonTex {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = ONE
        DestBlend = INVSRCALPHA
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Layer
    }
}

technique Blend_SumTex {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = ONE
        DestBlend = ONE
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Layer
    }
}

technique Blend_ScreenTex {
    pass P0 {
        AlphaBlendEnable = FALSE
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Screen
    }
}

technique Blend_ColorDodgeTex {
    pass P0 {
        AlphaBlendEnable = FALSE
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = ColorDodge
    }
}

technique BlendMask_Max {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = ONE
        DestBlend = ONE
        BlendOp = MAX
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = Sprite
    }
}

technique Main {
    pass P0 {
        AlphaBlendEnable = FALSE
        BlendOp = ADD
        SeparateAlphaBlendEnable = FALSE
        ZEnable = FALSE
        CullMode = NONE
        PixelShader = GlowSum
    }
}
