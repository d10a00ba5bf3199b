// Background-copy brush effect (resource 75): inside the mask the scene is
// shown from another place of the picture.
//   m = Mask alpha at (u, v)
//   c = Background at (u, v) + offset
//   output = c, alpha m
// "offset" is in texture units. Mirrored addressing makes an offset pushed
// past the edge by a whole unit (the brush's shift flags add 1) show the
// picture mirrored on that axis.
// "Main" blends with source alpha, so the scene outside the mask stays;
// "MainFX" mixes the copy over the unshifted scene itself and writes the
// whole target.

texture Background
texture Mask
float2 Scale = 1, 1
float2 offset = 0, 0

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

pixelshader Copy ps_2_0 {
    bind offset c0
    bind BackgroundSampler s0
    bind MaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    add r1.xy, t0, c0
    texld r1, r1, s0                    // c
    mov r1.w, r0.w
    mov oC0, r1
}

pixelshader CopyOver ps_2_0 {
    bind offset c0
    bind BackgroundSampler s0
    bind MaskSampler s1
    def c1, 1, 1, 1, 1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    add r1.xy, t0, c0
    texld r1, r1, s0                    // c
    texld r2, t0, s0                    // the scene in place
    lrp r3, r0.w, r1, r2
    mov r3.w, c1.w
    mov oC0, r3
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Copy
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = CopyOver
    }
}
