// Move brush effect (resource 91): the picture lookup shifted by "Direction"
// inside the mask.
//   m = Mask alpha at (u, v)
//   c = Background at (u, v) + m * Direction / Scale
//   output = c, alpha m
// "Direction" is given in the brush's zoomed coordinates ((u, v) * Scale, in
// which one unit is the picture height times the zoom), so a shift is as long
// across as it is down; dividing by "Scale" turns it into texture units.
// "Main" blends with source alpha, so the picture outside the mask stays;
// "MainFX" writes without blending.

texture Background
texture Mask
float2 Scale = 1, 1
float2 Direction = 0, 0

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

pixelshader Move ps_2_0 {
    bind Scale c0
    bind Direction c1
    bind BackgroundSampler s0
    bind MaskSampler s1
    dcl t0.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s1                    // m = r0.w
    rcp r1.x, c0.x
    rcp r1.y, c0.y
    mul r1.xy, r1, c1                   // Direction / Scale
    mad r1.xy, r0.w, r1, t0
    texld r1, r1, s0                    // c
    mov r1.w, r0.w
    mov oC0, r1
}

technique Main {
    pass P0 {
        AlphaBlendEnable = TRUE
        SrcBlend = SRCALPHA
        DestBlend = INVSRCALPHA
        PixelShader = Move
    }
}

technique MainFX {
    pass P0 {
        AlphaBlendEnable = FALSE
        PixelShader = Move
    }
}
