"""Fixed tables of the binary effect format: state ids, enum names, type codes.

The state ids are positions in the state table that D3DX9's effect loader
indexes with the `operation` field of every state record; the order is fixed
by that loader and must not change.
"""

RENDER_STATES = [
    "ZEnable", "FillMode", "ShadeMode", "ZWriteEnable", "AlphaTestEnable",
    "LastPixel", "SrcBlend", "DestBlend", "CullMode", "ZFunc", "AlphaRef",
    "AlphaFunc", "DitherEnable", "AlphaBlendEnable", "FogEnable",
    "SpecularEnable", "FogColor", "FogTableMode", "FogStart", "FogEnd",
    "FogDensity", "RangeFogEnable", "StencilEnable", "StencilFail",
    "StencilZFail", "StencilPass", "StencilFunc", "StencilRef", "StencilMask",
    "StencilWriteMask", "TextureFactor", "Wrap0", "Wrap1", "Wrap2", "Wrap3",
    "Wrap4", "Wrap5", "Wrap6", "Wrap7", "Wrap8", "Wrap9", "Wrap10", "Wrap11",
    "Wrap12", "Wrap13", "Wrap14", "Wrap15", "Clipping", "Lighting", "Ambient",
    "FogVertexMode", "ColorVertex", "LocalViewer", "NormalizeNormals",
    "DiffuseMaterialSource", "SpecularMaterialSource",
    "AmbientMaterialSource", "EmissiveMaterialSource", "VertexBlend",
    "ClipPlaneEnable", "PointSize", "PointSize_Min", "PointSize_Max",
    "PointSpriteEnable", "PointScaleEnable", "PointScale_A", "PointScale_B",
    "PointScale_C", "MultiSampleAntialias", "MultiSampleMask",
    "PatchEdgeStyle", "DebugMonitorToken", "IndexedVertexBlendEnable",
    "ColorWriteEnable", "TweenFactor", "BlendOp", "PositionDegree",
    "NormalDegree", "ScissorTestEnable", "SlopeScaleDepthBias",
    "AntialiasedLineEnable", "MinTessellationLevel", "MaxTessellationLevel",
    "AdaptiveTess_X", "AdaptiveTess_Y", "AdaptiveTess_Z", "AdaptiveTess_W",
    "EnableAdaptiveTessellation", "TwoSidedStencilMode", "CCW_StencilFail",
    "CCW_StencilZFail", "CCW_StencilPass", "CCW_StencilFunc",
    "ColorWriteEnable1", "ColorWriteEnable2", "ColorWriteEnable3",
    "BlendFactor", "SRGBWriteEnable", "DepthBias",
    "SeparateAlphaBlendEnable", "SrcBlendAlpha", "DestBlendAlpha",
    "BlendOpAlpha",
]
TEXTURE_STAGE_STATES = [
    "ColorOp", "ColorArg0", "ColorArg1", "ColorArg2", "AlphaOp", "AlphaArg0",
    "AlphaArg1", "AlphaArg2", "ResultArg", "BumpEnvMat00", "BumpEnvMat01",
    "BumpEnvMat10", "BumpEnvMat11", "TexCoordIndex", "BumpEnvLScale",
    "BumpEnvLOffset", "TextureTransformFlags", "Constant",
]
OTHER_STATES = [
    "NPatchMode", "FVF", "ProjectionTransform", "ViewTransform",
    "WorldTransform", "TextureTransform", "MaterialDiffuse", "MaterialAmbient",
    "MaterialSpecular", "MaterialEmissive", "MaterialPower", "LightType",
    "LightDiffuse", "LightSpecular", "LightAmbient", "LightPosition",
    "LightDirection", "LightRange", "LightFalloff", "LightAttenuation0",
    "LightAttenuation1", "LightAttenuation2", "LightTheta", "LightPhi",
    "LightEnable", "VertexShader", "PixelShader",
    "VertexShaderConstantF", "VertexShaderConstantB", "VertexShaderConstantI",
    "VertexShaderConstant", "VertexShaderConstant1", "VertexShaderConstant2",
    "VertexShaderConstant3", "VertexShaderConstant4",
    "PixelShaderConstantF", "PixelShaderConstantB", "PixelShaderConstantI",
    "PixelShaderConstant", "PixelShaderConstant1", "PixelShaderConstant2",
    "PixelShaderConstant3", "PixelShaderConstant4",
    "Texture", "AddressU", "AddressV", "AddressW", "BorderColor", "MagFilter",
    "MinFilter", "MipFilter", "MipMapLodBias", "MaxMipLevel", "MaxAnisotropy",
    "SRGBTexture", "ElementIndex", "DMAPOffset", "Sampler",
]
STATE_NAMES = RENDER_STATES + TEXTURE_STAGE_STATES + OTHER_STATES
STATE_COUNT = len(STATE_NAMES)
assert STATE_COUNT == 179
STATE_IDS = {name.lower(): i for i, name in enumerate(STATE_NAMES)}

STATE_VERTEXSHADER = STATE_IDS["vertexshader"]
STATE_PIXELSHADER = STATE_IDS["pixelshader"]
STATE_TEXTURE = STATE_IDS["texture"]
# Sampler states (the states a sampler_state block may hold).
SAMPLER_STATE_FIRST = STATE_IDS["texture"]
SAMPLER_STATE_LAST = STATE_IDS["dmapoffset"]

# Parameter types (D3DXPARAMETER_TYPE) and classes (D3DXPARAMETER_CLASS).
PT_VOID, PT_BOOL, PT_INT, PT_FLOAT, PT_STRING = 0, 1, 2, 3, 4
PT_TEXTURE, PT_TEXTURE1D, PT_TEXTURE2D, PT_TEXTURE3D, PT_TEXTURECUBE = 5, 6, 7, 8, 9
PT_SAMPLER, PT_SAMPLER1D, PT_SAMPLER2D, PT_SAMPLER3D, PT_SAMPLERCUBE = 10, 11, 12, 13, 14
PT_PIXELSHADER, PT_VERTEXSHADER = 15, 16
PC_SCALAR, PC_VECTOR, PC_MATRIX_ROWS, PC_MATRIX_COLUMNS, PC_OBJECT, PC_STRUCT = range(6)

TEXTURE_TYPES = {PT_TEXTURE, PT_TEXTURE1D, PT_TEXTURE2D, PT_TEXTURE3D, PT_TEXTURECUBE}
SAMPLER_TYPES = {PT_SAMPLER, PT_SAMPLER1D, PT_SAMPLER2D, PT_SAMPLER3D, PT_SAMPLERCUBE}
SHADER_TYPES = {PT_PIXELSHADER, PT_VERTEXSHADER}
NUMERIC_TYPES = {PT_BOOL, PT_INT, PT_FLOAT}
MAX_TYPE = PT_VERTEXSHADER

OBJECT_TYPE_NAMES = {
    "texture": PT_TEXTURE, "texture1d": PT_TEXTURE1D, "texture2d": PT_TEXTURE2D,
    "texture3d": PT_TEXTURE3D, "texturecube": PT_TEXTURECUBE,
    "sampler": PT_SAMPLER, "sampler1d": PT_SAMPLER1D, "sampler2d": PT_SAMPLER2D,
    "sampler3d": PT_SAMPLER3D, "samplercube": PT_SAMPLERCUBE,
}
TYPE_NAMES = {
    PT_BOOL: "bool", PT_INT: "int", PT_FLOAT: "float", PT_STRING: "string",
    PT_TEXTURE: "texture", PT_TEXTURE1D: "texture1D", PT_TEXTURE2D: "texture2D",
    PT_TEXTURE3D: "texture3D", PT_TEXTURECUBE: "textureCUBE",
    PT_SAMPLER: "sampler", PT_SAMPLER1D: "sampler1D", PT_SAMPLER2D: "sampler2D",
    PT_SAMPLER3D: "sampler3D", PT_SAMPLERCUBE: "samplerCUBE",
    PT_PIXELSHADER: "pixelshader", PT_VERTEXSHADER: "vertexshader",
}

# Named values accepted on the right-hand side of a state assignment.
ENUM_VALUES = {
    "false": 0, "true": 1,
    # D3DBLEND
    "zero": 1, "one": 2, "srccolor": 3, "invsrccolor": 4, "srcalpha": 5,
    "invsrcalpha": 6, "destalpha": 7, "invdestalpha": 8, "destcolor": 9,
    "invdestcolor": 10, "srcalphasat": 11, "bothsrcalpha": 12,
    "bothinvsrcalpha": 13, "blendfactor": 14, "invblendfactor": 15,
    # D3DCULL
    "none": 1, "cw": 2, "ccw": 3,
    # D3DCMPFUNC
    "never": 1, "less": 2, "equal": 3, "lessequal": 4, "greater": 5,
    "notequal": 6, "greaterequal": 7, "always": 8,
    # D3DTEXTUREFILTERTYPE
    "point": 1, "linear": 2, "anisotropic": 3,
    # D3DTEXTUREADDRESS
    "wrap": 1, "mirror": 2, "clamp": 3, "border": 4, "mirroronce": 5,
    # D3DBLENDOP
    "add": 1, "subtract": 2, "revsubtract": 3, "min": 4, "max": 5,
    # D3DFILLMODE
    "solid": 3, "wireframe": 2,
}
# Context-dependent names that collide with the table above.
FILTER_NONE = 0  # "None" in a filter state means D3DTEXF_NONE
FILTER_STATES = {"magfilter", "minfilter", "mipfilter"}
BOOL_STATES = {
    "zenable", "zwriteenable", "alphatestenable", "lastpixel", "ditherenable",
    "alphablendenable", "fogenable", "specularenable", "rangefogenable",
    "stencilenable", "clipping", "lighting", "colorvertex", "localviewer",
    "normalizenormals", "pointspriteenable", "pointscaleenable",
    "multisampleantialias", "indexedvertexblendenable", "scissortestenable",
    "antialiasedlineenable", "enableadaptivetessellation",
    "twosidedstencilmode", "srgbwriteenable", "separatealphablendenable",
    "srgbtexture", "lightenable",
}
FLOAT_STATES = {
    "fogstart", "fogend", "fogdensity", "pointsize", "pointsize_min",
    "pointsize_max", "pointscale_a", "pointscale_b", "pointscale_c",
    "tweenfactor", "slopescaledepthbias", "depthbias", "mipmaplodbias",
    "bumpenvmat00", "bumpenvmat01", "bumpenvmat10", "bumpenvmat11",
    "bumpenvlscale", "bumpenvloffset",
}
